#include <cstdio>

#include "cli/BurnCommand.h"
#include "cli/BurnOptions.h"
#include "resources/BurnExitCodes.h"

int main(int argc, char** argv)
{
    quillstar::BurnOptions options;
    std::string error;
    if (!options.Parse(argc, argv, error)) {
        std::fprintf(stderr, "quillstar-burn: %s (--help explains the options)\n", error.c_str());
        return quillstar::cli::kExitUsage;
    }
    return quillstar::BurnCommand(std::move(options)).Run();
}
