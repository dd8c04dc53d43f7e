// A console tool for the end-to-end scripts: reads, sets, saves and restores
// the per-user Run key and the program's value in it, byte for byte.
// Exits 0 on success, 1 when what was asked for is not so, 2 on bad usage.
#include "tests/tools/RunKeySnapshot.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using runkey::kValueName;

std::string Hex(const std::vector<BYTE>& bytes)
{
    std::string s;
    char buf[4];
    for (BYTE b : bytes) {
        std::snprintf(buf, sizeof buf, "%02x", b);
        s += buf;
    }
    return s;
}

bool Unhex(const std::string& hex, std::vector<BYTE>& out)
{
    if (hex == "-") {
        out.clear();
        return true;
    }
    if (hex.size() % 2)
        return false;
    out.clear();
    for (size_t i = 0; i < hex.size(); i += 2)
        out.push_back(static_cast<BYTE>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
    return true;
}

bool Save(const char* file)
{
    const runkey::Snapshot s = runkey::Snapshot::Take();
    std::ofstream out(file, std::ios::trunc);
    out << "exists " << (s.exists ? 1 : 0) << "\n";
    for (const runkey::Value& v : s.values) {
        const std::vector<BYTE> name(v.name.begin(), v.name.end());
        out << "value " << Hex(name) << " " << v.type << " " << (v.data.empty() ? "-" : Hex(v.data)) << "\n";
    }
    return static_cast<bool>(out);
}

bool Restore(const char* file)
{
    std::ifstream in(file);
    std::string word;
    runkey::Snapshot s;
    int exists = 0;
    if (!(in >> word >> exists) || word != "exists")
        return false;
    s.exists = exists != 0;
    std::string nameHex, dataHex;
    DWORD type = 0;
    while (in >> word >> nameHex >> type >> dataHex) {
        std::vector<BYTE> name, data;
        if (word != "value" || !Unhex(nameHex, name) || !Unhex(dataHex, data))
            return false;
        s.values.push_back(runkey::Value{std::string(name.begin(), name.end()), type, data});
    }
    return s.Restore();
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: runkey get                    type, size and bytes of the value\n"
                 "       runkey set TYPE TEXT [nonul]  the text with its NUL (or without)\n"
                 "       runkey set-hex TYPE HEX|-     exactly these bytes\n"
                 "       runkey fill TYPE SIZE         SIZE bytes of 'A', no NUL\n"
                 "       runkey delete | has-key | delete-key | create-key\n"
                 "       runkey snapshot               the whole key, last-write time included\n"
                 "       runkey save FILE | restore FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string cmd = argv[1];
    if (cmd == "get" && argc == 2) {
        runkey::Value v;
        if (!runkey::ReadValue(kValueName, v))
            return 1;
        std::printf("type=%lu size=%u data=%s\n", v.type, static_cast<unsigned>(v.data.size()), Hex(v.data).c_str());
        return 0;
    }
    if (cmd == "set" && (argc == 4 || (argc == 5 && std::strcmp(argv[4], "nonul") == 0))) {
        const size_t size = std::strlen(argv[3]) + (argc == 5 ? 0 : 1);
        return runkey::WriteValue(kValueName, std::strtoul(argv[2], nullptr, 0), argv[3], size) ? 0 : 1;
    }
    if (cmd == "set-hex" && argc == 4) {
        std::vector<BYTE> data;
        if (!Unhex(argv[3], data))
            return Usage();
        return runkey::WriteValue(kValueName, std::strtoul(argv[2], nullptr, 0), data.data(), data.size()) ? 0 : 1;
    }
    if (cmd == "fill" && argc == 4) {
        const std::vector<BYTE> data(std::strtoul(argv[3], nullptr, 0), 'A');
        return runkey::WriteValue(kValueName, std::strtoul(argv[2], nullptr, 0), data.data(), data.size()) ? 0 : 1;
    }
    if (cmd == "delete" && argc == 2)
        return runkey::DeleteValue(kValueName) ? 0 : 1;
    if (cmd == "has-key" && argc == 2)
        return runkey::KeyExists() ? 0 : 1;
    if (cmd == "delete-key" && argc == 2)
        return runkey::DeleteKey() ? 0 : 1;
    if (cmd == "create-key" && argc == 2)
        return runkey::CreateKey() ? 0 : 1;
    if (cmd == "snapshot" && argc == 2) {
        std::printf("%s\n", runkey::Snapshot::Take().Describe().c_str());
        return 0;
    }
    if (cmd == "save" && argc == 3)
        return Save(argv[2]) ? 0 : 1;
    if (cmd == "restore" && argc == 3)
        return Restore(argv[2]) ? 0 : 1;
    return Usage();
}
