// The user's "language.txt".
#include "FuzzSupport.h"

#include "app/Paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartToolkitOnce();
    ReadLanguageCodeFrom(WriteInputFile(data, size, "language.txt"));
    return 0;
}
