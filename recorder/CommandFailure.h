#pragma once

#include <cstdint>
#include <string>

namespace quillstar {

// A drive command that failed: its operation code, the engine's error code
// and, when the drive answered CHECK CONDITION, its sense.
struct CommandFailure {
    uint8_t opcode = 0;
    int error = 0;
    uint8_t senseKey = 0;
    uint8_t asc = 0;
    uint8_t ascq = 0;

    bool HasSense() const { return senseKey != 0 || asc != 0 || ascq != 0; }
    // NOT READY, long write in progress or operation in progress: the drive
    // is busy writing what it has and takes more once it has room.
    bool IsDriveBusy() const;
    // "CLOSE SESSION refused by the drive: sense 3/0C/00"; the command is
    // named by its operation code unless a name is given. A command that
    // succeeded but whose answer could not be used "gave no answer the burn
    // could use".
    std::string Describe(const char* command = nullptr) const;
    static const char* CommandName(uint8_t opcode);
};

}  // namespace quillstar
