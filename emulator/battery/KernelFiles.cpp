#include "KernelFiles.h"

#include "BatteryRequests.h"

// KeQuerySystemTime is a function of Wine's kernel on every architecture; the x64 headers make
// it a read of the kernel's shared page, which does not exist in Wine's driver host.
#ifdef KeQuerySystemTime
#undef KeQuerySystemTime
extern "C" __declspec(dllimport) VOID NTAPI KeQuerySystemTime(PLARGE_INTEGER CurrentTime);
#endif

// From ntifs.h, which cannot be included beside ntddk.h.
extern "C" __declspec(dllimport) NTSTATUS NTAPI
    ZwQueryDirectoryFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apc, PVOID apcContext,
                         PIO_STATUS_BLOCK status, PVOID information, ULONG length,
                         FILE_INFORMATION_CLASS informationClass, BOOLEAN singleEntry,
                         PUNICODE_STRING fileName, BOOLEAN restartScan);

namespace kernel_files {

namespace {

constexpr ULONG kPoolTag = 0x7442624E; // "NbBt" in a pool dump
constexpr size_t kPathUnits = 520;

UNICODE_STRING g_serviceKey{};

struct NamesInformation { // FILE_NAMES_INFORMATION
    ULONG nextEntryOffset;
    ULONG fileIndex;
    ULONG fileNameLength;
    WCHAR fileName[1];
};
constexpr FILE_INFORMATION_CLASS kFileNamesInformation = static_cast<FILE_INFORMATION_CLASS>(12);

// Bounded wide text.
class Path {
public:
    Path() { text_[0] = 0; }
    Path& Put(const WCHAR* text) {
        for (; *text != 0; ++text) {
            PutUnit(*text);
        }
        return *this;
    }
    Path& PutNarrow(const char* text) {
        for (; *text != '\0'; ++text) {
            PutUnit(static_cast<unsigned char>(*text));
        }
        return *this;
    }
    void PutUnit(WCHAR unit) {
        if (used_ + 1 < kPathUnits) {
            text_[used_++] = unit;
            text_[used_] = 0;
        } else {
            overflow_ = true;
        }
    }
    bool Fits() const { return !overflow_; }
    UNICODE_STRING String() {
        UNICODE_STRING string;
        string.Buffer = text_;
        string.Length = static_cast<USHORT>(used_ * sizeof(WCHAR));
        string.MaximumLength = static_cast<USHORT>(kPathUnits * sizeof(WCHAR));
        return string;
    }

private:
    WCHAR text_[kPathUnits];
    size_t used_ = 0;
    bool overflow_ = false;
};

// A Windows path ("Z:\tmp\x") as the kernel names it ("\??\Z:\tmp\x"); kernel names pass.
void PutWindowsPath(Path& path, const WCHAR* windows) {
    if (windows[0] != 0 && windows[1] == L':') {
        path.Put(L"\\??\\");
    }
    path.Put(windows);
}

// What became of reading a string value: a value that is there but cannot be used whole (too
// long, another type) is not taken for a missing one, nor used cut short.
enum class ValueRead { Missing, Found, Unusable };

// A REG_SZ value of an open key into `out` (units, with terminator); an empty one is missing.
ValueRead ReadStringValue(HANDLE key, const WCHAR* name, WCHAR* out, size_t units) {
    UNICODE_STRING valueName;
    RtlInitUnicodeString(&valueName, name);
    union {
        KEY_VALUE_PARTIAL_INFORMATION info;
        UCHAR bytes[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + 600];
    } value;
    ULONG length = 0;
    out[0] = 0;
    const NTSTATUS status =
        ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, &value, sizeof value, &length);
    if (status == STATUS_OBJECT_NAME_NOT_FOUND) {
        return ValueRead::Missing;
    }
    if (!NT_SUCCESS(status) || (value.info.Type != REG_SZ && value.info.Type != REG_EXPAND_SZ)) {
        return ValueRead::Unusable;
    }
    const ULONG dataUnits = value.info.DataLength / sizeof(WCHAR);
    size_t n = 0;
    const auto* data = reinterpret_cast<const WCHAR*>(value.info.Data);
    for (; n < dataUnits && data[n] != 0; ++n) {
        if (n + 1 >= units) {
            out[0] = 0;
            return ValueRead::Unusable;
        }
        out[n] = data[n];
    }
    out[n] = 0;
    return n > 0 ? ValueRead::Found : ValueRead::Missing;
}

ValueRead ReadRegistryString(const WCHAR* keyPath, const UNICODE_STRING* base, const WCHAR* name,
                             WCHAR* out, size_t units) {
    out[0] = 0;
    Path path;
    if (base != nullptr) {
        for (USHORT i = 0; i < base->Length / sizeof(WCHAR); ++i) {
            path.PutUnit(base->Buffer[i]);
        }
    }
    path.Put(keyPath);
    if (!path.Fits()) {
        return ValueRead::Unusable;
    }
    UNICODE_STRING keyName = path.String();
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &keyName, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                               nullptr, nullptr);
    HANDLE key = nullptr;
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_QUERY_VALUE, &attributes))) {
        return ValueRead::Missing;
    }
    const ValueRead read = ReadStringValue(key, name, out, units);
    ZwClose(key);
    return read;
}

HANDLE OpenFile(Path& path, ACCESS_MASK access, ULONG disposition, ULONG options) {
    if (!path.Fits()) {
        return nullptr;
    }
    UNICODE_STRING name = path.String();
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                               nullptr, nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE file = nullptr;
    if (!NT_SUCCESS(ZwCreateFile(
            &file, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, disposition,
            options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0))) {
        return nullptr;
    }
    return file;
}

} // namespace

NTSTATUS Remember(const UNICODE_STRING* registryPath) {
    if (registryPath == nullptr || registryPath->Buffer == nullptr) {
        return STATUS_SUCCESS; // no Parameters then: Linux's own tree
    }
    const USHORT bytes = registryPath->Length;
    auto* copy =
        static_cast<WCHAR*>(ExAllocatePoolWithTag(PagedPool, bytes + sizeof(WCHAR), kPoolTag));
    if (copy == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    RtlCopyMemory(copy, registryPath->Buffer, bytes);
    copy[bytes / sizeof(WCHAR)] = 0;
    g_serviceKey.Buffer = copy;
    g_serviceKey.Length = bytes;
    g_serviceKey.MaximumLength = static_cast<USHORT>(bytes + sizeof(WCHAR));
    return STATUS_SUCCESS;
}

void Forget() {
    if (g_serviceKey.Buffer != nullptr) {
        ExFreePoolWithTag(g_serviceKey.Buffer, kPoolTag);
        g_serviceKey = UNICODE_STRING{};
    }
}

PowerSupplyTree::PowerSupplyTree() {
    WCHAR configured[260];
    Path path;
    const ValueRead read =
        g_serviceKey.Buffer != nullptr
            ? ReadRegistryString(L"\\Parameters", &g_serviceKey, L"PowerSupplyDir", configured,
                                 sizeof configured / sizeof configured[0])
            : ValueRead::Missing;
    if (read == ValueRead::Found) {
        PutWindowsPath(path, configured);
    } else if (read == ValueRead::Missing) {
        path.Put(L"\\??\\Z:\\sys\\class\\power_supply");
    }
    // A value that cannot be used names no tree: the bays read as empty, rather than as the
    // host's own batteries.
    UNICODE_STRING text = path.String();
    size_t units = text.Length / sizeof(WCHAR);
    // Trailing separators would double up when names are added.
    while (units > 0 && text.Buffer[units - 1] == L'\\') {
        --units;
    }
    if (read == ValueRead::Unusable || !path.Fits() ||
        units + 1 > sizeof directory_ / sizeof directory_[0]) {
        units = 0; // a name too long to be a path reads as no tree at all
    }
    for (size_t i = 0; i < units; ++i) {
        directory_[i] = text.Buffer[i];
    }
    directory_[units] = 0;
}

PowerSupplyTree::~PowerSupplyTree() {
    if (names_ != nullptr) {
        ExFreePoolWithTag(names_, kPoolTag);
    }
}

battery::SupplyTree PowerSupplyTree::Access() {
    return {&Read, &Entry, this};
}

bool PowerSupplyTree::Read(void* context, const char* supply, const char* name, char* text,
                           size_t size) {
    auto* self = static_cast<PowerSupplyTree*>(context);
    if (self->directory_[0] == 0 || size < 2) {
        return false;
    }
    Path path;
    path.Put(self->directory_).PutUnit(L'\\');
    path.PutNarrow(supply).PutUnit(L'\\');
    path.PutNarrow(name);
    HANDLE file = OpenFile(path, GENERIC_READ, FILE_OPEN, FILE_NON_DIRECTORY_FILE);
    if (file == nullptr) {
        return false;
    }
    IO_STATUS_BLOCK status{};
    const NTSTATUS read = ZwReadFile(file, nullptr, nullptr, nullptr, &status, text,
                                     static_cast<ULONG>(size - 1), nullptr, nullptr);
    ZwClose(file);
    if (!NT_SUCCESS(read)) {
        return false;
    }
    const size_t got = status.Information < size - 1 ? status.Information : size - 1;
    text[got] = '\0';
    return true;
}

bool PowerSupplyTree::Entry(void* context, unsigned index, char* name, size_t size) {
    auto* self = static_cast<PowerSupplyTree*>(context);
    self->List();
    if (index >= self->count_ || size == 0) {
        return false;
    }
    const char* found = self->names_[index];
    size_t n = 0;
    for (; found[n] != '\0' && n + 1 < size; ++n) {
        name[n] = found[n];
    }
    name[n] = '\0';
    return true;
}

void PowerSupplyTree::List() {
    if (listed_) {
        return;
    }
    listed_ = true;
    if (directory_[0] == 0) {
        return;
    }
    names_ = static_cast<char(*)[battery::kNameSize]>(
        ExAllocatePoolWithTag(PagedPool, kMaxEntries * battery::kNameSize, kPoolTag));
    if (names_ == nullptr) {
        return;
    }
    Path path;
    path.Put(directory_);
    HANDLE directory = OpenFile(path, FILE_LIST_DIRECTORY, FILE_OPEN, FILE_DIRECTORY_FILE);
    if (directory == nullptr) {
        return;
    }
    union {
        NamesInformation first;
        UCHAR bytes[2048];
    } listing;
    bool restart = true;
    while (count_ < kMaxEntries) {
        IO_STATUS_BLOCK status{};
        if (!NT_SUCCESS(ZwQueryDirectoryFile(directory, nullptr, nullptr, nullptr, &status,
                                             &listing, sizeof listing, kFileNamesInformation, FALSE,
                                             nullptr, restart))) {
            break;
        }
        restart = false;
        ULONG offset = 0;
        for (;;) {
            if (offset + sizeof(NamesInformation) > sizeof listing) {
                break;
            }
            const auto* entry = reinterpret_cast<const NamesInformation*>(listing.bytes + offset);
            const ULONG units = entry->fileNameLength / sizeof(WCHAR);
            const bool dot = units <= 2 && entry->fileName[0] == L'.' &&
                             (units == 1 || entry->fileName[1] == L'.');
            // Supply names are short ASCII; anything else is not a supply.
            bool ascii = units > 0 && units < battery::kNameSize &&
                         offset + sizeof(NamesInformation) + units * sizeof(WCHAR) <=
                             sizeof listing + sizeof(WCHAR);
            for (ULONG i = 0; ascii && i < units; ++i) {
                ascii = entry->fileName[i] > 0x20 && entry->fileName[i] < 0x7F;
            }
            if (!dot && ascii && count_ < kMaxEntries) {
                for (ULONG i = 0; i < units; ++i) {
                    names_[count_][i] = static_cast<char>(entry->fileName[i]);
                }
                names_[count_][units] = '\0';
                ++count_;
            }
            // Each entry leads forward and stays inside the listing, or the listing ends here.
            if (entry->nextEntryOffset == 0 || entry->nextEntryOffset > sizeof listing - offset) {
                break;
            }
            offset += entry->nextEntryOffset;
        }
    }
    ZwClose(directory);
}

void Journal(const char* function, const char* arguments, const char* result) {
    LARGE_INTEGER system;
    LARGE_INTEGER local;
    KeQuerySystemTime(&system);
    ExSystemTimeToLocalTime(&system, &local);
    TIME_FIELDS time{};
    RtlTimeToTimeFields(&local, &time);
    const battery::JournalStamp stamp{
        static_cast<unsigned>(time.Year),
        static_cast<unsigned>(time.Month),
        static_cast<unsigned>(time.Day),
        static_cast<unsigned>(time.Hour),
        static_cast<unsigned>(time.Minute),
        static_cast<unsigned>(time.Second),
        static_cast<unsigned>(time.Milliseconds),
        static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(PsGetCurrentProcessId()))};
    char line[768];
    battery::JournalLine(stamp, function, arguments, result, line, sizeof line);

    WCHAR configured[260];
    Path path;
    // A configured path with environment variables is the user-mode libraries' to expand.
    bool usable = ReadRegistryString(L"\\Registry\\Machine\\SOFTWARE\\Notebook Emulator", nullptr,
                                     L"JournalPath", configured,
                                     sizeof configured / sizeof configured[0]) == ValueRead::Found;
    for (const WCHAR* c = configured; usable && *c != 0; ++c) {
        usable = *c != L'%';
    }
    if (usable) {
        PutWindowsPath(path, configured);
    } else {
        path.Put(L"\\??\\C:\\windows\\NotebookJournal.txt");
    }
    HANDLE file = OpenFile(path, FILE_APPEND_DATA, FILE_OPEN_IF, FILE_NON_DIRECTORY_FILE);
    if (file == nullptr) {
        return;
    }
    ULONG length = 0;
    while (line[length] != '\0') {
        ++length;
    }
    // Always at the end, whoever else appends to the file.
    LARGE_INTEGER end;
    end.HighPart = -1;
    end.LowPart = FILE_WRITE_TO_END_OF_FILE;
    IO_STATUS_BLOCK status{};
    ZwWriteFile(file, nullptr, nullptr, nullptr, &status, line, length, &end, nullptr);
    ZwClose(file);
}

} // namespace kernel_files
