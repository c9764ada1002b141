// Build-time tool: turns a file into a C++ source holding its bytes.
//   gz_embed <symbol> <input> <output.cpp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: gz_embed symbol input output.cpp\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "gz_embed: cannot read %s\n", argv[2]);
        return 1;
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::FILE* out = std::fopen(argv[3], "w");
    if (!out) {
        std::fprintf(stderr, "gz_embed: cannot write %s\n", argv[3]);
        return 1;
    }
    std::fprintf(out, "#include <cstddef>\n");
    // One spare zero byte so text resources are terminated.
    std::fprintf(out, "extern const unsigned char %s[];\nextern const std::size_t %s_size;\n", argv[1], argv[1]);
    std::fprintf(out, "alignas(4) const unsigned char %s[] = {", argv[1]);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        std::fprintf(out, "%s%u,", i % 24 ? "" : "\n", bytes[i]);
    std::fprintf(out, "0};\nconst std::size_t %s_size = %zu;\n", argv[1], bytes.size());
    return std::fclose(out) == 0 ? 0 : 1;
}
