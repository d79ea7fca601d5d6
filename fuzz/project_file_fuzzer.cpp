// Project files, as Open Project reads them.
#include "FuzzSupport.h"

#include "window/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartToolkitOnce();
    ProjectData project;
    ReadProjectFile(WriteInputFile(data, size, "project.xml"), project);
    return 0;
}
