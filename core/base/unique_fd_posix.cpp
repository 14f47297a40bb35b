#include <unistd.h>

#include "core/base/unique_fd.h"

int CloseDescriptor(int fd) {
    return ::close(fd);
}
