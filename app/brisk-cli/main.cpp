#include "platform/system/SliceAllocator.h"
#include "shell/Cli.h"

int main(int argc, char** argv)
{
    brisk::restartWithMallocSlices(argv);
    return brisk::runCli(argc, argv);
}
