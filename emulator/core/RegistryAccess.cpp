#include "RegistryAccess.h"

#include <cstring>

#include "NumberText.h"
#include "framework/UniqueHandle.h"

namespace emulator {

namespace {

// Text values of the power manager are short names and numbers; anything longer is damage.
constexpr DWORD kMaxTextBytes = 4096;

LONG Open(HKEY root, const std::string& path, REGSAM access, framework::UniqueKey& key) {
    return ::RegOpenKeyExA(root, path.c_str(), 0, access, key.Put());
}

LONG Create(HKEY root, const std::string& path, framework::UniqueKey& key) {
    return ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                             nullptr, key.Put(), nullptr);
}

LONG QueryExact(HKEY key, const char* name, DWORD expectedType, void* data, DWORD size) {
    // One query into a buffer a byte larger than wanted: a longer value does not fit, a
    // shorter one reports its size, either way it is refused.
    std::vector<BYTE> scratch(size + 1);
    DWORD type = REG_NONE;
    DWORD got = size + 1;
    const LONG status = ::RegQueryValueExA(key, name, nullptr, &type, scratch.data(), &got);
    if (status == ERROR_MORE_DATA) {
        return ERROR_INVALID_DATA;
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (type != expectedType || got != size) {
        return ERROR_INVALID_DATA;
    }
    std::memcpy(data, scratch.data(), size);
    return ERROR_SUCCESS;
}

} // namespace

LONG ReadRecord(HKEY root, const std::string& path, const char* name, void* data, DWORD size) {
    framework::UniqueKey key;
    const LONG status = Open(root, path, KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    return QueryExact(key.Get(), name, REG_BINARY, data, size);
}

LONG WriteRecord(HKEY root, const std::string& path, const char* name, const void* data,
                 DWORD size) {
    framework::UniqueKey key;
    const LONG status = Create(root, path, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    return ::RegSetValueExA(key.Get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}

LONG ReadDecimal(HKEY root, const std::string& path, const char* name, std::uint32_t& value) {
    framework::UniqueKey key;
    LONG status = Open(root, path, KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    char text[32] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof text - 1;
    status =
        ::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    if (status == ERROR_MORE_DATA) {
        return ERROR_INVALID_DATA;
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (type != REG_SZ) {
        return ERROR_INVALID_DATA;
    }
    const auto parsed = ParseDecimal(std::string_view(text, ::strnlen(text, size)));
    if (!parsed) {
        return ERROR_INVALID_DATA;
    }
    value = *parsed;
    return ERROR_SUCCESS;
}

LONG WriteDecimal(HKEY root, const std::string& path, const char* name, std::uint32_t value) {
    framework::UniqueKey key;
    const LONG status = Create(root, path, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const std::string text = DecimalText(value);
    return ::RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
}

LONG OpenToRead(HKEY root, const std::string& path, framework::UniqueKey& key) {
    return Open(root, path, KEY_QUERY_VALUE, key);
}

LONG QueryWord(HKEY key, const char* name, std::uint32_t& value) {
    DWORD word = 0;
    const LONG read = QueryExact(key, name, REG_DWORD, &word, sizeof word);
    if (read == ERROR_SUCCESS) {
        value = word;
    }
    return read;
}

LONG ReadWord(HKEY root, const std::string& path, const char* name, std::uint32_t& value) {
    framework::UniqueKey key;
    const LONG status = Open(root, path, KEY_QUERY_VALUE, key);
    return status == ERROR_SUCCESS ? QueryWord(key.Get(), name, value) : status;
}

LONG WriteWord(HKEY root, const std::string& path, const char* name, std::uint32_t value) {
    framework::UniqueKey key;
    const LONG status = Create(root, path, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const DWORD word = value;
    return ::RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&word),
                            sizeof word);
}

LONG ReadWideText(HKEY root, const std::string& path, const wchar_t* name, std::wstring& text) {
    framework::UniqueKey key;
    LONG status = Open(root, path, KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    DWORD type = REG_NONE;
    DWORD size = 0;
    status = ::RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (type != REG_SZ || size > kMaxTextBytes) {
        return ERROR_INVALID_DATA;
    }
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    status = ::RegQueryValueExW(key.Get(), name, nullptr, &type,
                                reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status != ERROR_SUCCESS) {
        return status == ERROR_MORE_DATA ? ERROR_INVALID_DATA : status;
    }
    if (type != REG_SZ) {
        return ERROR_INVALID_DATA;
    }
    // A stored text need not end in a terminator; the spare unit at the end supplies one.
    const std::size_t units = size / sizeof(wchar_t);
    text.assign(buffer.data(), ::wcsnlen(buffer.data(), units));
    return ERROR_SUCCESS;
}

LONG WriteWideText(HKEY root, const std::string& path, const wchar_t* name,
                   const std::wstring& text) {
    framework::UniqueKey key;
    const LONG status = Create(root, path, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    return ::RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LONG CreateKey(HKEY root, const std::string& path) {
    framework::UniqueKey key;
    return Create(root, path, key);
}

bool KeyExists(HKEY root, const std::string& path) {
    framework::UniqueKey key;
    return Open(root, path, KEY_QUERY_VALUE, key) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::string& path, const char* name) {
    framework::UniqueKey key;
    if (Open(root, path, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) {
        return false;
    }
    return ::RegQueryValueExA(key.Get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::vector<std::string> SubkeyNames(HKEY root, const std::string& path) {
    std::vector<std::string> names;
    framework::UniqueKey key;
    if (Open(root, path, KEY_ENUMERATE_SUB_KEYS, key) != ERROR_SUCCESS) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        char name[256] = {};
        DWORD size = sizeof name;
        const LONG status =
            ::RegEnumKeyExA(key.Get(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            continue; // no power-manager key has such a name
        }
        if (status != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, size);
    }
    return names;
}

LONG DeleteKeyTree(HKEY root, const std::string& path) {
    if (!KeyExists(root, path)) {
        return ERROR_FILE_NOT_FOUND;
    }
    for (const std::string& child : SubkeyNames(root, path)) {
        const LONG status = DeleteKeyTree(root, path + "\\" + child);
        if (status != ERROR_SUCCESS) {
            return status;
        }
    }
    return ::RegDeleteKeyA(root, path.c_str());
}

} // namespace emulator
