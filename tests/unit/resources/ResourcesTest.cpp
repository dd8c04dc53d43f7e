// Reads the resources back from both built programs, the 32-bit and the
// 64-bit Traylet.exe, from their files: a test program of either kind reads
// both, so the 32-bit file is checked on a machine that cannot run it.
#include "res/resource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Build {
    const char* folder;   // beside this test program's own build folder
    bool b64;
};

std::string ExePath(const Build& build)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    dir.resize(dir.find_last_of("\\/") + 1);
    return dir + "..\\" + build.folder + "\\Traylet.exe";
}

class TrayletExe : public ::testing::TestWithParam<Build> {
protected:
    void SetUp() override
    {
        // As data: the resources of a program of either kind can be read.
        m_module = LoadLibraryExA(ExePath(GetParam()).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, m_module) << ExePath(GetParam());
    }
    void TearDown() override
    {
        if (m_module)
            FreeLibrary(m_module);
    }

    std::pair<const BYTE*, DWORD> Resource(LPCSTR type, LPCSTR name) const
    {
        HRSRC res = FindResourceA(m_module, name, type);
        if (!res)
            return {nullptr, 0};
        return {static_cast<const BYTE*>(LockResource(LoadResource(m_module, res))), SizeofResource(m_module, res)};
    }

    HMODULE m_module = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Builds, TrayletExe, ::testing::Values(Build{"win32", false}, Build{"win64", true}),
                         [](const ::testing::TestParamInfo<Build>& info) {
                             return std::string(info.param.b64 ? "Bits64" : "Bits32");
                         });

// What the headers of a program's file say, read from its bytes alone.
struct PeFacts {
    bool valid = false;
    WORD machine = 0;
    WORD magic = 0;       // 0x10B PE32, 0x20B PE32+
    WORD subsystem = 0;
    std::vector<std::string> imports;   // the DLLs it names, upper case
};

PeFacts ReadPe(const std::vector<BYTE>& file)
{
    PeFacts pe;
    auto at = [&](size_t offset, auto* value) {
        if (offset + sizeof *value > file.size())
            return false;
        std::memcpy(value, file.data() + offset, sizeof *value);
        return true;
    };
    WORD mz = 0;
    DWORD lfanew = 0, signature = 0;
    if (!at(0, &mz) || mz != IMAGE_DOS_SIGNATURE || !at(0x3C, &lfanew) || !at(lfanew, &signature) ||
        signature != IMAGE_NT_SIGNATURE)
        return pe;
    IMAGE_FILE_HEADER header{};
    const size_t optional = lfanew + 4 + sizeof header;
    if (!at(lfanew + 4, &header) || !at(optional, &pe.magic) || !at(optional + 68, &pe.subsystem))
        return pe;
    pe.machine = header.Machine;
    // The import directory's place: its RVA lies in one of the sections.
    IMAGE_DATA_DIRECTORY imports{};
    const size_t directories = optional + (pe.magic == 0x20B ? 112 : 96);
    if (!at(directories + IMAGE_DIRECTORY_ENTRY_IMPORT * sizeof imports, &imports))
        return pe;
    const size_t sections = optional + header.SizeOfOptionalHeader;
    auto fileOffset = [&](DWORD rva, size_t* offset) {
        for (WORD i = 0; i < header.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section{};
            if (!at(sections + i * sizeof section, &section))
                return false;
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData) {
                *offset = rva - section.VirtualAddress + section.PointerToRawData;
                return true;
            }
        }
        return false;
    };
    size_t descriptor = 0;
    if (!fileOffset(imports.VirtualAddress, &descriptor))
        return pe;
    for (IMAGE_IMPORT_DESCRIPTOR entry{}; at(descriptor, &entry) && entry.Name; descriptor += sizeof entry) {
        size_t name = 0;
        if (!fileOffset(entry.Name, &name))
            return pe;
        std::string dll;
        for (char c = 0; at(name++, &c) && c;)
            dll += static_cast<char>(toupper(static_cast<unsigned char>(c)));
        pe.imports.push_back(dll);
    }
    pe.valid = true;
    return pe;
}

// The kind of program each build must be, with only the system's DLLs to
// load: everything else is linked in, so it runs on a clean Windows.
TEST_P(TrayletExe, HeaderAndImports)
{
    std::ifstream in(ExePath(GetParam()), std::ios::binary);
    const PeFacts pe = ReadPe(std::vector<BYTE>(std::istreambuf_iterator<char>(in), {}));
    ASSERT_TRUE(pe.valid);
    EXPECT_EQ(GetParam().b64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386, pe.machine);
    EXPECT_EQ(GetParam().b64 ? 0x20B : 0x10B, pe.magic);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, pe.subsystem);
    const std::vector<std::string> system = {"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL", "KERNEL32.DLL",
                                             "MSVCRT.DLL",   "SHELL32.DLL",  "USER32.DLL"};
    for (const std::string& dll : pe.imports)
        EXPECT_NE(system.end(), std::find(system.begin(), system.end(), dll)) << dll << " is not a system DLL";
    EXPECT_NE(pe.imports.end(), std::find(pe.imports.begin(), pe.imports.end(), "USER32.DLL"));
}

// Reads the parts of a DLGTEMPLATEEX in order.
struct Reader {
    const BYTE* p;
    template <class T> T get()
    {
        T v;
        memcpy(&v, p, sizeof v);
        p += sizeof v;
        return v;
    }
    void align4() { p = reinterpret_cast<const BYTE*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3}); }
    std::string wstr()
    {
        std::string s;
        for (WORD c; (c = get<WORD>()) != 0;)
            s += static_cast<char>(c);
        return s;
    }
    // A name-or-ordinal field: "#n" for an ordinal.
    std::string sz_or_ord()
    {
        memcpy(&first, p, 2);
        if (first == 0xFFFF) {
            p += 2;
            return "#" + std::to_string(get<WORD>());
        }
        return wstr();
    }
    WORD first = 0;
};

// A control's class as the system sees it: the predefined ordinals 0x80
// and 0x82 are the button and static classes; names compare without case.
std::string ClassName(const std::string& raw)
{
    if (raw == "#128")
        return "BUTTON";
    if (raw == "#130")
        return "STATIC";
    std::string upper = raw;
    for (char& ch : upper)
        ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    return upper;
}

struct Control {
    DWORD style, exStyle;
    short x, y, cx, cy;
    DWORD id;
    std::string cls, text;
};

TEST_P(TrayletExe, MainDialogTemplate)
{
    auto [data, size] = Resource(MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(IDD_MAIN_DIALOG));
    ASSERT_NE(nullptr, data);
    Reader r{data};
    EXPECT_EQ(1, r.get<WORD>());        // dlgVer
    EXPECT_EQ(0xFFFF, r.get<WORD>());   // signature: the extended form
    r.get<DWORD>();                     // helpID
    EXPECT_EQ(0x00040000u, r.get<DWORD>());   // WS_EX_APPWINDOW
    EXPECT_EQ(0x90CA00C8u, r.get<DWORD>());
    const WORD count = r.get<WORD>();
    EXPECT_EQ(25, count);
    EXPECT_EQ(0, r.get<short>());
    EXPECT_EQ(0, r.get<short>());
    EXPECT_EQ(209, r.get<short>());
    EXPECT_EQ(246, r.get<short>());
    EXPECT_EQ("", r.sz_or_ord());          // no menu
    EXPECT_EQ("", r.sz_or_ord());          // the standard dialog class
    EXPECT_EQ("Traylet", r.wstr());
    EXPECT_EQ(8, r.get<WORD>());           // points
    EXPECT_EQ(0, r.get<WORD>());           // weight
    EXPECT_EQ(0, r.get<BYTE>());           // italic
    EXPECT_EQ(1, r.get<BYTE>());           // character set
    EXPECT_EQ("MS Shell Dlg", r.wstr());

    std::vector<Control> controls;
    for (int i = 0; i < count && r.p < data + size; ++i) {
        r.align4();
        Control c{};
        r.get<DWORD>();   // helpID
        c.exStyle = r.get<DWORD>();
        c.style = r.get<DWORD>();
        c.x = r.get<short>();
        c.y = r.get<short>();
        c.cx = r.get<short>();
        c.cy = r.get<short>();
        c.id = r.get<DWORD>();
        c.cls = r.sz_or_ord();
        c.text = r.sz_or_ord();
        r.p += r.get<WORD>();   // creation data
        controls.push_back(c);
    }
    ASSERT_EQ(25u, controls.size());
    const DWORD none = 0xFFFFFFFF;
    struct Want { DWORD id; const char* cls; const char* text; DWORD style; short x, y, cx, cy; } want[] = {
        {none, "STATIC", "#128", 0x50000003, 8, 8, 20, 20},
        {none, "STATIC", nullptr, 0x50020000, 46, 22, 135, 8},
        {none, "STATIC", "Traylet Version 2.0.0.4", 0x50020000, 46, 13, 100, 8},
        {none, "STATIC", nullptr, 0x50020000, 46, 31, 80, 8},
        {1001, "BUTTON", "&Start Program with Windows", 0x50010003, 43, 61, 107, 10},
        {none, "BUTTON", "", 0x50000007, 37, 4, 154, 42},
        {none, "BUTTON", "Options", 0x50000007, 37, 49, 154, 27},
        // The hotkeys, below all that was there: per action a label, the
        // hotkey control, its "Win" box and the line that says "In use".
        {none, "BUTTON", "Hotkeys", 0x50000007, 7, 80, 195, 62},
        {none, "STATIC", "Dock", 0x50020000, 13, 95, 44, 8},
        {1002, "MSCTLS_HOTKEY32", "", 0x50810000, 59, 93, 78, 12},
        {1005, "BUTTON", "Win", 0x50010003, 141, 94, 24, 10},
        {1008, "STATIC", "", 0x50020000, 169, 95, 31, 8},
        {none, "STATIC", "Bring back", 0x50020000, 13, 111, 44, 8},
        {1003, "MSCTLS_HOTKEY32", "", 0x50810000, 59, 109, 78, 12},
        {1006, "BUTTON", "Win", 0x50010003, 141, 110, 24, 10},
        {1009, "STATIC", "", 0x50020000, 169, 111, 31, 8},
        {none, "STATIC", "Menu", 0x50020000, 13, 127, 44, 8},
        {1004, "MSCTLS_HOTKEY32", "", 0x50810000, 59, 125, 78, 12},
        {1007, "BUTTON", "Win", 0x50010003, 141, 126, 24, 10},
        {1010, "STATIC", "", 0x50020000, 169, 127, 31, 8},
        // The rules, below the hotkeys: their list (a report, one row
        // chosen at a time) and its three buttons.
        {none, "BUTTON", "Rules", 0x50000007, 7, 146, 195, 93},
        {1011, "SYSLISTVIEW32", "", 0x5081800D, 13, 158, 183, 56},
        {1012, "BUTTON", "&Add...", 0x50010000, 13, 219, 50, 14},
        {1013, "BUTTON", "&Change...", 0x50010000, 67, 219, 50, 14},
        {1014, "BUTTON", "&Remove", 0x50010000, 121, 219, 50, 14},
    };
    for (size_t i = 0; i < 25; ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        const Control& c = controls[i];
        EXPECT_EQ(want[i].id, c.id);
        EXPECT_EQ(want[i].cls, ClassName(c.cls));
        if (want[i].text)
            EXPECT_EQ(want[i].text, c.text);
        else
            EXPECT_FALSE(c.text.empty());   // the publisher's lines
        EXPECT_EQ(want[i].style, c.style);
        EXPECT_EQ(0u, c.exStyle);
        EXPECT_EQ(want[i].x, c.x);
        EXPECT_EQ(want[i].y, c.y);
        EXPECT_EQ(want[i].cx, c.cx);
        EXPECT_EQ(want[i].cy, c.cy);
    }
}

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_P(TrayletExe, IconGroupHasNineImages)
{
    auto [data, size] = Resource(MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(IDR_MAINFRAME));   // RT_GROUP_ICON
    ASSERT_NE(nullptr, data);
    const WORD count = reinterpret_cast<const WORD*>(data)[2];
    ASSERT_EQ(9, count);
    ASSERT_EQ(6u + 14u * count, size);
    std::vector<std::pair<int, int>> seen;
    for (int i = 0; i < count; ++i) {
        GroupEntry e;
        memcpy(&e, data + 6 + 14 * i, sizeof e);
        const int px = e.width ? e.width : 256;
        seen.emplace_back(px, e.bitCount);
        // Each image loads as an icon of its size.
        auto [img, imgSize] = Resource(MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(e.id));   // RT_ICON
        ASSERT_NE(nullptr, img);
        EXPECT_EQ(e.bytes, imgSize);
        HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(img), imgSize, TRUE, 0x00030000, px, px, 0);
        EXPECT_NE(nullptr, icon) << px << " px at " << e.bitCount << " bpp";
        DestroyIcon(icon);
    }
    const std::vector<std::pair<int, int>> want = {{48, 4}, {48, 8}, {48, 32}, {32, 4}, {32, 8},
                                                   {32, 32}, {16, 4}, {16, 8}, {16, 32}};
    EXPECT_EQ(want, seen);
}

// Walks a VS_VERSIONINFO tree: every node's key path and its text value.
void WalkVersion(const BYTE* node, const std::string& prefix, std::vector<std::pair<std::string, std::string>>& out,
                 std::vector<BYTE>* fixed)
{
    const WORD length = reinterpret_cast<const WORD*>(node)[0];
    const WORD valueLength = reinterpret_cast<const WORD*>(node)[1];
    const WORD type = reinterpret_cast<const WORD*>(node)[2];
    Reader r{node + 6};
    const std::string key = r.wstr();
    r.align4();
    std::string value;
    if (type == 1) {
        for (WORD i = 0; i + 1 < valueLength; ++i)
            value += static_cast<char>(reinterpret_cast<const WORD*>(r.p)[i]);
        r.p += valueLength * 2;
    } else {
        if (fixed && prefix.empty())
            fixed->assign(r.p, r.p + valueLength);
        if (key == "Translation" && valueLength == 4) {
            char buf[16];
            snprintf(buf, sizeof buf, "%04x:%u", reinterpret_cast<const WORD*>(r.p)[0],
                     reinterpret_cast<const WORD*>(r.p)[1]);
            value = buf;
        }
        r.p += valueLength;
    }
    const std::string path = prefix.empty() ? key : prefix + "/" + key;
    out.emplace_back(path, value);
    for (r.align4(); r.p < node + length; r.align4())
        WalkVersion(r.p, path, out, nullptr), r.p += reinterpret_cast<const WORD*>(r.p)[0];
}

TEST_P(TrayletExe, VersionBlock)
{
    auto [data, size] = Resource(MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1));   // RT_VERSION
    ASSERT_NE(nullptr, data);
    std::vector<std::pair<std::string, std::string>> nodes;
    std::vector<BYTE> fixedBytes;
    WalkVersion(data, "", nodes, &fixedBytes);

    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), fixedBytes.size());
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, fixedBytes.data(), sizeof fixed);
    EXPECT_EQ(0xFEEF04BDu, fixed.dwSignature);
    EXPECT_EQ(0x00020000u, fixed.dwFileVersionMS);
    EXPECT_EQ(0x00000005u, fixed.dwFileVersionLS);
    EXPECT_EQ(0x00020000u, fixed.dwProductVersionMS);
    EXPECT_EQ(0x00000005u, fixed.dwProductVersionLS);
    EXPECT_EQ(0x3Fu, fixed.dwFileFlagsMask);
    EXPECT_EQ(0u, fixed.dwFileFlags);
    EXPECT_EQ(4u, fixed.dwFileOS);
    EXPECT_EQ(1u, fixed.dwFileType);

    std::vector<std::string> keys;
    std::vector<std::pair<std::string, std::string>> values;
    const std::string table = "VS_VERSION_INFO/StringFileInfo/040904e4/";
    for (auto& [path, value] : nodes)
        if (path.rfind(table, 0) == 0) {
            keys.push_back(path.substr(table.size()));
            values.emplace_back(path.substr(table.size()), value);
        }
    const std::vector<std::string> wantKeys = {"Comments", "CompanyName", "FileDescription", "FileVersion",
                                               "InternalName", "LegalCopyright", "OriginalFilename",
                                               "ProductName", "ProductVersion"};
    EXPECT_EQ(wantKeys, keys);
    auto valueOf = [&](const std::string& k) {
        for (auto& [key, v] : values)
            if (key == k)
                return v;
        return std::string("<missing>");
    };
    EXPECT_EQ("May 10, 2008", valueOf("Comments"));
    EXPECT_EQ("Traylet 2.0", valueOf("FileDescription"));
    EXPECT_EQ("2.0.0.5", valueOf("FileVersion"));
    EXPECT_EQ("Traylet.exe", valueOf("InternalName"));
    EXPECT_EQ("Traylet.exe", valueOf("OriginalFilename"));
    EXPECT_EQ("Traylet 2.0", valueOf("ProductName"));
    EXPECT_EQ("2.0.0.5", valueOf("ProductVersion"));
    EXPECT_FALSE(valueOf("CompanyName").empty());
    EXPECT_FALSE(valueOf("LegalCopyright").empty());
    std::string translation = "<missing>";
    for (auto& [path, value] : nodes)
        if (path == "VS_VERSION_INFO/VarFileInfo/Translation")
            translation = value;
    EXPECT_EQ("0409:1252", translation);
}

TEST_P(TrayletExe, ManifestAsksForCommonControlsSix)
{
    auto [data, size] = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    ASSERT_NE(nullptr, data);
    const std::string xml(reinterpret_cast<const char*>(data), size);
    for (const char* needle :
         {"version=\"1.0.0.0\"", "name=\"Microsoft.Windows.Traylet\"",
          "type=\"win32\"", "<description>Your app description here</description>",
          "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"", "language=\"*\"",
          "publicKeyToken=\"6595b64144ccf1df\""})
        EXPECT_NE(std::string::npos, xml.find(needle)) << needle;
    // The program and the common controls it asks for are of one
    // architecture: a 64-bit program that asked for the 32-bit ones would
    // not load.
    const std::string arch = GetParam().b64 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"X86\"";
    size_t count = 0;
    for (size_t at = xml.find("processorArchitecture="); at != std::string::npos;
         at = xml.find("processorArchitecture=", at + 1), ++count)
        EXPECT_EQ(0u, xml.compare(at, arch.size(), arch)) << xml.substr(at, 40);
    EXPECT_EQ(2u, count);
}

// The popup draws itself for the DPI of the monitor it opens on; without
// this the system would stretch a picture drawn for 96 DPI.
TEST_P(TrayletExe, ManifestDrawsForEachMonitorsDpi)
{
    auto [data, size] = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    ASSERT_NE(nullptr, data);
    const std::string xml(reinterpret_cast<const char*>(data), size);
    for (const char* needle : {"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
                               "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>"})
        EXPECT_NE(std::string::npos, xml.find(needle)) << needle;
}

}  // namespace
