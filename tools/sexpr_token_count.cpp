// The floor of reading a KiCad schematic: the whole file read into one
// buffer, then one pass that counts its S-expression tokens (opening and
// closing parentheses, bare atoms, quoted strings with their escapes
// skipped) and checks nothing else. A reader that builds anything from the
// file is timed against this.
//   sexpr_token_count FILE...   prints "<tokens> FILE" for each
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  for (int a = 1; a < argc; ++a) {
    const int fd = open(argv[a], O_RDONLY);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
      std::perror(argv[a]);
      return 1;
    }
    std::vector<char> buffer(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < buffer.size()) {
      const ssize_t n = read(fd, buffer.data() + got, buffer.size() - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    close(fd);
    const char* p = buffer.data();
    const char* end = p + got;
    unsigned long long tokens = 0;
    while (p < end) {
      const char c = *p;
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        ++p;
      } else if (c == '(' || c == ')') {
        ++tokens;
        ++p;
      } else if (c == '"') {
        ++tokens;
        for (++p; p < end && *p != '"'; ++p)
          if (*p == '\\') ++p;
        ++p;
      } else {
        ++tokens;
        while (p < end && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r' && *p != '(' && *p != ')' && *p != '"') ++p;
      }
    }
    std::printf("%llu %s\n", tokens, argv[a]);
  }
  return 0;
}
