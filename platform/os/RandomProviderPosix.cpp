#include "platform/os/RandomProvider.h"

#include <cerrno>
#include <sys/random.h>

namespace platform {

bool FillFromSystem(unsigned char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        // getrandom returns at most 32 MiB - 1 bytes per call and may return fewer when a
        // signal arrives; loop until the whole request is served.
        const ssize_t n = getrandom(buffer + done, size - done, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// getrandom needs nothing acquired.
RandomProvider::RandomProvider() : m_bAcquired(true) {}

RandomProvider::~RandomProvider() {
    m_bAcquired = false;
}

bool RandomProvider::FillFromProvider(unsigned char* buffer, std::size_t size) {
    return FillFromSystem(buffer, size);
}

} // namespace platform
