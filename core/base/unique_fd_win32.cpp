#include <io.h>

#include "core/base/unique_fd.h"

int CloseDescriptor(int fd) {
    return ::_close(fd);
}
