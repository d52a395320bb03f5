// Keeps the GL driver loaded until the process ends (see glDriverPin.h).
#include "glDriverPin.h"

#include <dlfcn.h>
#include <link.h>

#include <string>

void pinGlDriver() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const std::string name = info->dlpi_name ? info->dlpi_name : "";
            if (name.find("_dri.so") != std::string::npos)
                dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}
