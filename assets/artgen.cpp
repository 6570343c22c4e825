// Placeholder art generator: writes an empty art table until the art lands.
#include <fstream>
#include <string>
int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    std::ofstream out(std::string(argv[1]) + "/ArtData.cpp");
    out << "// generated\n";
    return out ? 0 : 1;
}
