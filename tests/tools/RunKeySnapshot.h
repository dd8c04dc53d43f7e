#pragma once
// The per-user Run key as the tests see it: whether it exists, its values
// byte for byte and its last-write time. The tests share one Wine prefix, so
// whatever changes the key puts it back from a snapshot afterwards.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace runkey {

inline const char kPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const char kValueName[] = "Traylet2";

struct Value {
    std::string name;
    DWORD type = 0;
    std::vector<BYTE> data;
    bool operator==(const Value& o) const { return name == o.name && type == o.type && data == o.data; }
};

inline bool KeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// One value of the Run key; false when the key or the value is missing.
inline bool ReadValue(const char* name, Value& out)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        out.name = name;
        out.type = type;
        out.data.assign(size + 1, 0);
        rc = RegQueryValueExA(key, name, nullptr, nullptr, out.data.data(), &size);
        out.data.resize(size);
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

// Stores exactly these bytes. The registry adds a NUL to a string whose
// size leaves it out when the byte after it in memory is NUL; a non-zero
// byte there keeps the data as given.
inline bool WriteValue(const char* name, DWORD type, const void* data, size_t size)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    std::vector<BYTE> bytes(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    bytes.push_back(0xA5);
    const LONG rc = RegSetValueExA(key, name, 0, type, bytes.data(), static_cast<DWORD>(size));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

inline bool DeleteValue(const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

inline bool CreateKey()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Only a key without subkeys is deleted (none is expected under Run).
inline bool DeleteKey()
{
    return RegDeleteKeyA(HKEY_CURRENT_USER, kPath) == ERROR_SUCCESS;
}

struct Snapshot {
    bool exists = false;
    FILETIME lastWrite{};
    std::vector<Value> values;

    static Snapshot Take()
    {
        Snapshot s;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return s;
        s.exists = true;
        DWORD count = 0, maxName = 0, maxData = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName, &maxData,
                         nullptr, &s.lastWrite);
        for (DWORD i = 0; i < count; ++i) {
            std::vector<char> name(maxName + 2);
            std::vector<BYTE> data(maxData + 2);
            DWORD cchName = static_cast<DWORD>(name.size()), cbData = static_cast<DWORD>(data.size()), type = 0;
            if (RegEnumValueA(key, i, name.data(), &cchName, nullptr, &type, data.data(), &cbData) != ERROR_SUCCESS)
                continue;
            data.resize(cbData);
            s.values.push_back(Value{std::string(name.data(), cchName), type, data});
        }
        RegCloseKey(key);
        return s;
    }

    // Same key presence, same values byte for byte, same last-write time.
    bool SameAs(const Snapshot& o) const
    {
        return exists == o.exists && values == o.values && CompareFileTime(&lastWrite, &o.lastWrite) == 0;
    }

    // Puts the key back as it was (the last-write time aside).
    bool Restore() const
    {
        if (!exists)
            return !KeyExists() || DeleteKey();
        if (!CreateKey())
            return false;
        for (const Value& v : Take().values)
            DeleteValue(v.name.c_str());
        bool ok = true;
        for (const Value& v : values)
            ok = WriteValue(v.name.c_str(), v.type, v.data.data(), v.data.size()) && ok;
        return ok;
    }

    // One line per value: size, a hash of all the bytes, and the first bytes
    // in hex; equal descriptions mean equal snapshots in practice.
    std::string Describe() const
    {
        std::string s = exists ? "key present" : "key missing";
        char buf[96];
        std::snprintf(buf, sizeof buf, ", written %08lx%08lx", lastWrite.dwHighDateTime, lastWrite.dwLowDateTime);
        s += buf;
        for (const Value& v : values) {
            unsigned long long hash = 14695981039346656037ull;
            for (BYTE b : v.data)
                hash = (hash ^ b) * 1099511628211ull;
            std::snprintf(buf, sizeof buf, "\n  %s type=%lu size=%u hash=%016llx data=", v.name.c_str(), v.type,
                          static_cast<unsigned>(v.data.size()), hash);
            s += buf;
            for (size_t i = 0; i < v.data.size() && i < 300; ++i) {
                std::snprintf(buf, sizeof buf, "%02x", v.data[i]);
                s += buf;
            }
        }
        return s;
    }
};

}  // namespace runkey
