// The floor for a whole `lgt read`: a plain program that reads a file in 1 MiB pieces and counts
// its lines with memchr. count_lines FILE prints the count.
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::FILE* file = std::fopen(argv[1], "rb");
  if (!file) return 1;
  std::vector<char> buffer(1 << 20);
  unsigned long long lines = 0;
  for (std::size_t count; (count = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;) {
    for (const char *at = buffer.data(), *end = at + count;
         (at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at))));
         ++at)
      ++lines;
  }
  std::fclose(file);
  std::printf("%llu\n", lines);
  return 0;
}
