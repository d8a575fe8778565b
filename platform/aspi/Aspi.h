#pragma once

// The ASPI request blocks and entry points, as libwnaspi32.so exports them.
// The blocks keep their Windows field order and status values; pointer
// fields have native width and the blocks use natural alignment.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Command codes (first byte of every request block). */
#define SC_HA_INQUIRY 0x00
#define SC_GET_DEV_TYPE 0x01
#define SC_EXEC_SCSI_CMD 0x02

/* Request block status values. */
#define SS_PENDING 0x00
#define SS_COMP 0x01
#define SS_ABORTED 0x02
#define SS_ERR 0x04
#define SS_INVALID_CMD 0x80
#define SS_INVALID_HA 0x81
#define SS_NO_DEVICE 0x82
#define SS_NO_ADAPTERS 0xE8

/* Execute flags. */
#define SRB_DIR_IN 0x08
#define SRB_DIR_OUT 0x10
#define SRB_EVENT_NOTIFY 0x40

/* Host adapter status values. */
#define HASTAT_OK 0x00
#define HASTAT_COMMAND_TIMEOUT 0x0B
#define HASTAT_BUS_RESET 0x0E
#define HASTAT_PARITY_ERROR 0x0F
#define HASTAT_SEL_TO 0x11
#define HASTAT_DO_DU 0x12
#define HASTAT_BUS_FREE 0x13
#define HASTAT_PHASE_ERR 0x14

/* Target status values. */
#define STATUS_GOOD 0x00
#define STATUS_CHKCOND 0x02
#define STATUS_BUSY 0x08
#define STATUS_RESCONF 0x18

#define DTYPE_CDROM 0x05
#define SENSE_LEN 14

/* Host adapter inquiry. */
typedef struct {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t HA_Count;
    uint8_t HA_SCSI_ID;
    uint8_t HA_ManagerId[16];
    uint8_t HA_Identifier[16];
    uint8_t HA_Unique[16]; /* byte 3: maximum number of targets */
    uint16_t HA_Rsvd1;
} SRB_HAInquiry;

/* Get device type. */
typedef struct {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint8_t SRB_DeviceType;
    uint8_t SRB_Rsvd1;
} SRB_GDEVBlock;

/* Execute SCSI command. SRB_PostProc carries the completion event, a
   quillstar::Event the layer sets when the command is done. */
typedef struct {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint16_t SRB_Rsvd1;
    uint32_t SRB_BufLen;
    uint8_t* SRB_BufPointer;
    uint8_t SRB_SenseLen;
    uint8_t SRB_CDBLen;
    uint8_t SRB_HaStat;
    uint8_t SRB_TargStat;
    void* SRB_PostProc;
    uint8_t SRB_Rsvd2[20];
    uint8_t CDBByte[16];
    uint8_t SenseArea[SENSE_LEN + 2];
} SRB_ExecSCSICmd;

typedef struct {
    uint8_t* AB_BufPointer;
    uint32_t AB_BufLen;
    uint32_t AB_ZeroFill;
    uint32_t AB_Reserved;
} ASPI32BUFF;

/* Bits 8-15: status, bits 0-7: number of host adapters. */
uint32_t GetASPI32SupportInfo(void);
/* Takes any of the three request blocks; returns its status. */
uint32_t SendASPI32Command(void* srb);
int GetASPI32Buffer(ASPI32BUFF* buffer);
int FreeASPI32Buffer(ASPI32BUFF* buffer);
int TranslateASPI32Address(uint32_t* path, uint32_t* devNode);
uint32_t GetASPI32DLLVersion(void);

typedef uint32_t (*GetASPI32SupportInfoFunction)(void);
typedef uint32_t (*SendASPI32CommandFunction)(void* srb);
typedef int (*GetASPI32BufferFunction)(ASPI32BUFF* buffer);
typedef int (*FreeASPI32BufferFunction)(ASPI32BUFF* buffer);
typedef int (*TranslateASPI32AddressFunction)(uint32_t* path, uint32_t* devNode);
typedef uint32_t (*GetASPI32DLLVersionFunction)(void);

/* Quillstar additions. */

/* Names the image recorder's image file (overriding QUILLSTAR_IMAGE_RECORDER)
   before the layer starts, i.e. before the first call of any other entry
   point. A null or empty path switches the image recorder off. Returns 1, or
   0 when the layer has already started and the call changed nothing. */
int QuillstarASPISetImageRecorder(const char* path);

/* A device the layer found but left out, and why. */
typedef struct {
    char Device[256]; /* "/dev/sr0", or the image recorder's path */
    int32_t Error;    /* errno value of the failure, 0 when none applies */
    char Reason[256]; /* one line, e.g. "cannot open: Permission denied" */
} QUILLSTAR_SKIPPED_DEVICE;

/* Starts the layer if needed, copies up to capacity entries (devices may be
   null when capacity is 0) and returns how many devices were left out. */
uint32_t QuillstarASPIGetSkippedDevices(QUILLSTAR_SKIPPED_DEVICE* devices, uint32_t capacity);

/* With hold 1, takes the device for the calling program alone until it is
   called with hold 0 (or the program ends). A real drive is opened again
   exclusively, which the kernel refuses while its disc is mounted or another
   program holds it so, and gets an advisory flock() that other burners
   honour. Returns 0, EBUSY or EWOULDBLOCK when another program has the
   device, another errno value when it cannot be held, or ENODEV when no
   device is at that address. */
int QuillstarASPIHoldDevice(uint8_t adapter, uint8_t target, uint8_t lun, int hold);

typedef int (*QuillstarASPISetImageRecorderFunction)(const char* path);
typedef uint32_t (*QuillstarASPIGetSkippedDevicesFunction)(QUILLSTAR_SKIPPED_DEVICE* devices, uint32_t capacity);
typedef int (*QuillstarASPIHoldDeviceFunction)(uint8_t adapter, uint8_t target, uint8_t lun, int hold);

#ifdef __cplusplus
}
#endif
