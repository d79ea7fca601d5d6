// The installation's option file, read at start-up.
#include "FuzzSupport.h"

#include "app/DomainOption.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartToolkitOnce();
    DomainOption options(WriteInputFile(data, size, "option.cfg"));
    if (options.Load())
        options.ReadValues();
    return 0;
}
