// The I/O floor of a page: reads files whole and writes a file of a given size, in 1 MB
// blocks, as one small process.
//   io_floor [--read FILE]... [--write FILE BYTES]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    std::vector<char> block(1 << 20, 'x');
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--read") == 0 && i + 1 < argc) {
            const int fd = ::open(argv[++i], O_RDONLY);
            if (fd < 0)
                return 1;
            while (::read(fd, block.data(), block.size()) > 0) {
            }
            ::close(fd);
        } else if (std::strcmp(argv[i], "--write") == 0 && i + 2 < argc) {
            const int fd = ::open(argv[i + 1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
            long long left = std::atoll(argv[i + 2]);
            i += 2;
            if (fd < 0)
                return 1;
            while (left > 0) {
                const auto n =
                    ::write(fd, block.data(),
                            std::size_t(left < (long long)block.size() ? left : block.size()));
                if (n <= 0)
                    return 1;
                left -= n;
            }
            ::close(fd);
        } else {
            std::fprintf(stderr, "usage: io_floor [--read FILE]... [--write FILE BYTES]\n");
            return 2;
        }
    }
    return 0;
}
