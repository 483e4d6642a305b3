#include "platform/system/SliceAllocator.h"
#include "shell/Cli.h"

BRISK_SLICES_FROM_MALLOC

int main(int argc, char** argv)
{
    return brisk::runCli(argc, argv);
}
