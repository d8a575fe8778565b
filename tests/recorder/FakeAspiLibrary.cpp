// A stand-in for libwnaspi32.so: one adapter with nothing on it, every
// command completed at once. Built three times, with all entry points and
// with one of the two the transport needs left out.

#include "platform/Event.h"
#include "platform/aspi/Aspi.h"

extern "C" {

#ifndef FAKE_ASPI_WITHOUT_SUPPORT_INFO
uint32_t GetASPI32SupportInfo(void)
{
    return SS_COMP << 8 | 1;
}
#endif

#ifndef FAKE_ASPI_WITHOUT_SEND_COMMAND
uint32_t SendASPI32Command(void* block)
{
    auto* command = static_cast<SRB_ExecSCSICmd*>(block);
    command->SRB_Status = command->SRB_Cmd == SC_EXEC_SCSI_CMD ? SS_COMP : SS_NO_DEVICE;
    if (command->SRB_Cmd == SC_EXEC_SCSI_CMD)
        static_cast<quillstar::Event*>(command->SRB_PostProc)->Set();
    return command->SRB_Status;
}
#endif

int GetASPI32Buffer(ASPI32BUFF*)
{
    return 0;
}

int FreeASPI32Buffer(ASPI32BUFF*)
{
    return 0;
}

int TranslateASPI32Address(uint32_t*, uint32_t*)
{
    return 0;
}

uint32_t GetASPI32DLLVersion(void)
{
    return 1;
}
}
