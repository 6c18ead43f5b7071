#include "RegistryAccess.h"

#include <cstring>

#include "NumberText.h"
#include "OpenKeys.h"
#include "framework/UniqueHandle.h"

namespace emulator {

namespace {

// Text values of the power manager are short names and numbers; anything longer is damage.
constexpr DWORD kMaxTextBytes = 4096;

LONG Open(HKEY root, const std::string& path, REGSAM access, framework::UniqueKey& key) {
    return ::RegOpenKeyExA(root, path.c_str(), 0, access, key.Put());
}

// `use` on the process's open handle of an existing key.
LONG WithOpen(HKEY root, const std::string& path, REGSAM access, const OpenKeys::Use& use) {
    return ProcessKeys().With(
        root, path, access,
        [&](framework::UniqueKey& key) { return Open(root, path, access, key); }, use);
}

LONG CreateForWriting(HKEY root, const std::string& path, framework::UniqueKey& key) {
    return ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                             nullptr, key.Put(), nullptr);
}

// `use` on the process's handle of a key made when missing, for writing.
LONG WithCreated(HKEY root, const std::string& path, const OpenKeys::Use& use) {
    const auto create = [&](framework::UniqueKey& key) {
        return CreateForWriting(root, path, key);
    };
    return ProcessKeys().With(root, path, KEY_SET_VALUE, create, use);
}

// ERROR_SUCCESS while the key behind the handle exists; one request, whatever its values.
LONG StillThere(HKEY key) {
    const LONG status = ::RegQueryValueExA(key, "", nullptr, nullptr, nullptr, nullptr);
    return status == ERROR_KEY_DELETED ? status : ERROR_SUCCESS;
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
    return WithOpen(root, path, KEY_QUERY_VALUE,
                    [&](HKEY key) { return QueryExact(key, name, REG_BINARY, data, size); });
}

LONG WriteRecord(HKEY root, const std::string& path, const char* name, const void* data,
                 DWORD size) {
    return WithCreated(root, path, [&](HKEY key) {
        return ::RegSetValueExA(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
    });
}

LONG ReadDecimal(HKEY root, const std::string& path, const char* name, std::uint32_t& value) {
    char text[32] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof text - 1;
    const LONG status = WithOpen(root, path, KEY_QUERY_VALUE, [&](HKEY key) {
        size = sizeof text - 1;
        return ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    });
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
    const std::string text = DecimalText(value);
    return WithCreated(root, path, [&](HKEY key) {
        return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>(text.size() + 1));
    });
}

namespace {

LONG QueryWord(HKEY key, const char* name, std::uint32_t& value) {
    DWORD word = 0;
    const LONG read = QueryExact(key, name, REG_DWORD, &word, sizeof word);
    if (read == ERROR_SUCCESS) {
        value = word;
    }
    return read;
}

} // namespace

LONG ReadWord(HKEY root, const std::string& path, const char* name, std::uint32_t& value) {
    return WithOpen(root, path, KEY_QUERY_VALUE,
                    [&](HKEY key) { return QueryWord(key, name, value); });
}

void ReadWordPair(HKEY root, const std::string& path, const char* const names[2], LONG status[2],
                  std::uint32_t values[2]) {
    const LONG opened = WithOpen(root, path, KEY_QUERY_VALUE, [&](HKEY key) {
        for (int i = 0; i < 2; ++i) {
            if (status[i] == ERROR_FILE_NOT_FOUND) {
                status[i] = QueryWord(key, names[i], values[i]);
                if (status[i] == ERROR_KEY_DELETED) {
                    status[i] = ERROR_FILE_NOT_FOUND; // asked again on a fresh handle
                    return static_cast<LONG>(ERROR_KEY_DELETED);
                }
            }
        }
        return static_cast<LONG>(ERROR_SUCCESS);
    });
    (void)opened; // a missing key leaves both as they were
}

LONG WriteWord(HKEY root, const std::string& path, const char* name, std::uint32_t value) {
    const DWORD word = value;
    return WithCreated(root, path, [&](HKEY key) {
        return ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&word),
                                sizeof word);
    });
}

LONG WriteWordUnder(HKEY root, const std::string& parent, const std::string& path, const char* name,
                    std::uint32_t value) {
    // A key that is still open and there proves its parent is there too: a key with subkeys
    // cannot be deleted. So the parent is looked for only when the key is opened.
    const auto create = [&](framework::UniqueKey& key) {
        if (!KeyExists(root, parent)) {
            return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
        }
        return CreateForWriting(root, path, key);
    };
    const DWORD word = value;
    return ProcessKeys().With(root, path, KEY_SET_VALUE, create, [&](HKEY key) {
        return ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&word),
                                sizeof word);
    });
}

LONG ReadWideText(HKEY root, const std::string& path, const wchar_t* name, std::wstring& text) {
    return WithOpen(root, path, KEY_QUERY_VALUE, [&](HKEY key) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        LONG status = ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        if (type != REG_SZ || size > kMaxTextBytes) {
            return static_cast<LONG>(ERROR_INVALID_DATA);
        }
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        status = ::RegQueryValueExW(key, name, nullptr, &type,
                                    reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status != ERROR_SUCCESS) {
            return status == ERROR_MORE_DATA ? static_cast<LONG>(ERROR_INVALID_DATA) : status;
        }
        if (type != REG_SZ) {
            return static_cast<LONG>(ERROR_INVALID_DATA);
        }
        // A stored text need not end in a terminator; the spare unit at the end supplies one.
        const std::size_t units = size / sizeof(wchar_t);
        text.assign(buffer.data(), ::wcsnlen(buffer.data(), units));
        return static_cast<LONG>(ERROR_SUCCESS);
    });
}

LONG WriteWideText(HKEY root, const std::string& path, const wchar_t* name,
                   const std::wstring& text) {
    return WithCreated(root, path, [&](HKEY key) {
        return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    });
}

LONG CreateKey(HKEY root, const std::string& path) {
    // Made afresh each time: a handle for writing cannot be asked whether its key still exists.
    framework::UniqueKey key;
    return CreateForWriting(root, path, key);
}

bool KeyExists(HKEY root, const std::string& path) {
    return WithOpen(root, path, KEY_QUERY_VALUE, StillThere) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::string& path, const char* name) {
    return WithOpen(root, path, KEY_QUERY_VALUE, [&](HKEY key) {
               return ::RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr);
           }) == ERROR_SUCCESS;
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
