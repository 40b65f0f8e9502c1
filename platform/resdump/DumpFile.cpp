#include "platform/resdump/DumpFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace resdump {

namespace {

// The file's bytes, mapped, for as long as it lives.
class MappedFile {
public:
    explicit MappedFile(const char *path)
    {
        int fd = -1;
        do
            fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK); // a FIFO would wait for a writer
        while (fd < 0 && errno == EINTR);
        if (fd < 0)
            return;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 && info.st_size <= kMaxResFileBytes) {
            void *mapped = ::mmap(nullptr, std::size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (mapped != MAP_FAILED) {
                m_bytes = static_cast<const unsigned char *>(mapped);
                m_size = std::size_t(info.st_size);
            }
        }
        ::close(fd);
    }
    ~MappedFile()
    {
        if (m_bytes)
            ::munmap(const_cast<unsigned char *>(m_bytes), m_size);
    }
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    const unsigned char *bytes() const { return m_bytes; }
    std::size_t size() const { return m_size; }

private:
    const unsigned char *m_bytes = nullptr;
    std::size_t m_size = 0;
};

bool writeAll(int out, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(out, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

} // namespace

DumpFileResult dumpFile(const char *path, DumpForm form, int out, int &errorNumber) noexcept
{
    errorNumber = 0;
    DumpText text;
    {
        const MappedFile file(path);
        // An empty file, or one that cannot be mapped, is the tool's reader's to tell about.
        if (!file.bytes() || !dumpRes(file.bytes(), file.size(), form, text))
            return DumpFileResult::NotTaken;
    }
    errno = 0;
    if (writeAll(out, text.data(), text.size()))
        return DumpFileResult::Written;
    errorNumber = errno;
    return DumpFileResult::WriteFailed;
}

} // namespace resdump
