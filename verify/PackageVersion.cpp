// Reads RT_VERSION from a view of the held file rather than by path, so that the version judged
// is that of the signed bytes that will start. Every offset comes from the file: each is checked
// against the bytes it points into before it is followed.
#include "verify/PackageVersion.h"

#include "sys/Handles.h"

#include <cstddef>
#include <cstring>

namespace {

struct TMappingTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct TViewTraits {
    using Handle = const void*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { UnmapViewOfFile(h); }
};

using TMapping = TScopedHandle<TMappingTraits>;
using TView = TScopedHandle<TViewTraits>;

class TBytes {
public:
    TBytes() = default;
    TBytes(const uint8_t* data, uint64_t size) : data_(data), size_(size) {}

    // Empty when any of [offset, offset + size) lies outside.
    TBytes Part(uint64_t offset, uint64_t size) const {
        if (!Holds(offset, size)) return {};
        return TBytes(data_ + offset, size);
    }
    template <typename T>
    bool Read(uint64_t offset, T& value) const {
        if (!Holds(offset, sizeof(T))) return false;
        memcpy(&value, data_ + offset, sizeof(T));
        return true;
    }

private:
    bool Holds(uint64_t offset, uint64_t size) const { return offset <= size_ && size <= size_ - offset; }

    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
};

struct TImage {
    TBytes File;
    TBytes Sections;
    uint16_t SectionCount = 0;
    IMAGE_DATA_DIRECTORY Resources = {};
};

// Where the optional header keeps the number of data directories and the directories.
bool DirectoryOffsets(WORD magic, uint64_t& countAt, uint64_t& directoriesAt) {
    if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        countAt = offsetof(IMAGE_OPTIONAL_HEADER64, NumberOfRvaAndSizes);
        directoriesAt = offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory);
        return true;
    }
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        countAt = offsetof(IMAGE_OPTIONAL_HEADER32, NumberOfRvaAndSizes);
        directoriesAt = offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory);
        return true;
    }
    return false;
}

bool ReadImage(const TBytes& file, TImage& image) {
    IMAGE_DOS_HEADER dos;
    DWORD signature = 0;
    IMAGE_FILE_HEADER header;
    WORD magic = 0;
    if (!file.Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
    const uint64_t nt = static_cast<uint32_t>(dos.e_lfanew);
    const uint64_t optional = nt + sizeof(signature) + sizeof(header);
    if (!file.Read(nt, signature) || signature != IMAGE_NT_SIGNATURE || !file.Read(nt + sizeof(signature), header) ||
        !file.Read(optional, magic))
        return false;
    uint64_t countAt = 0, directoriesAt = 0;
    DWORD count = 0;
    if (!DirectoryOffsets(magic, countAt, directoriesAt) || !file.Read(optional + countAt, count) ||
        count <= IMAGE_DIRECTORY_ENTRY_RESOURCE)
        return false;
    const uint64_t resourcesAt = directoriesAt + IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof(IMAGE_DATA_DIRECTORY);
    if (resourcesAt + sizeof(IMAGE_DATA_DIRECTORY) > header.SizeOfOptionalHeader ||
        !file.Read(optional + resourcesAt, image.Resources))
        return false;
    image.File = file;
    image.SectionCount = header.NumberOfSections;
    image.Sections = file.Part(optional + header.SizeOfOptionalHeader,
                               uint64_t(header.NumberOfSections) * sizeof(IMAGE_SECTION_HEADER));
    return true;
}

// The file bytes that an image loaded at its address would have at [rva, rva + size), when they
// lie whole in one section's raw data.
TBytes AtRva(const TImage& image, uint32_t rva, uint32_t size) {
    for (uint16_t i = 0; i < image.SectionCount; ++i) {
        IMAGE_SECTION_HEADER section;
        if (!image.Sections.Read(uint64_t(i) * sizeof(section), section)) return {};
        if (rva < section.VirtualAddress || rva - section.VirtualAddress >= section.SizeOfRawData) continue;
        return image.File.Part(section.PointerToRawData, section.SizeOfRawData).Part(rva - section.VirtualAddress, size);
    }
    return {};
}

struct TResourceEntry {
    uint32_t Name;
    uint32_t Offset;
};

const uint32_t kVersionType = 16;  // RT_VERSION, which is a pointer
const uint32_t kAnyId = 0xFFFFFFFF;

// The first entry of the resource directory at `offset` with the numeric id `id` (any entry
// for kAnyId).
bool FindEntry(const TBytes& resources, uint32_t offset, uint32_t id, TResourceEntry& found) {
    IMAGE_RESOURCE_DIRECTORY directory;
    if (!resources.Read(offset, directory)) return false;
    const uint32_t count = uint32_t(directory.NumberOfNamedEntries) + directory.NumberOfIdEntries;
    for (uint32_t i = 0; i < count; ++i) {
        TResourceEntry entry;
        if (!resources.Read(offset + sizeof(directory) + uint64_t(i) * sizeof(entry), entry)) return false;
        if (id == kAnyId || entry.Name == id) {
            found = entry;
            return true;
        }
    }
    return false;
}

// Type, name, language: the first version resource in the first language it comes in.
TBytes VersionResource(const TBytes& file) {
    TImage image;
    if (!ReadImage(file, image)) return {};
    const TBytes resources = AtRva(image, image.Resources.VirtualAddress, image.Resources.Size);
    const uint32_t path[] = {kVersionType, kAnyId, kAnyId};
    uint32_t offset = 0;
    for (size_t level = 0; level < 3; ++level) {
        TResourceEntry entry;
        if (!FindEntry(resources, offset, path[level], entry)) return {};
        const bool directory = (entry.Offset & IMAGE_RESOURCE_DATA_IS_DIRECTORY) != 0;
        if (directory != (level < 2)) return {};
        offset = entry.Offset & ~IMAGE_RESOURCE_DATA_IS_DIRECTORY;
    }
    IMAGE_RESOURCE_DATA_ENTRY data;
    if (!resources.Read(offset, data)) return {};
    return AtRva(image, data.OffsetToData, data.Size);
}

// VS_VERSIONINFO: its length, its value's length and type, the key, then on a 32-bit boundary
// the VS_FIXEDFILEINFO, which must lie within the block's own length.
std::optional<TFileVersion> FixedFileVersion(const TBytes& resource) {
    struct THeader {
        uint16_t Length;
        uint16_t ValueLength;
        uint16_t Type;
    } header;
    static const wchar_t kKey[] = L"VS_VERSION_INFO";
    wchar_t key[sizeof(kKey) / sizeof(kKey[0])];
    const uint64_t valueAt = (sizeof(header) + sizeof(key) + 3) & ~uint64_t(3);
    VS_FIXEDFILEINFO fixed;
    if (!resource.Read(0, header)) return std::nullopt;
    const TBytes block = resource.Part(0, header.Length);
    if (!block.Read(sizeof(header), key) || memcmp(key, kKey, sizeof(key)) != 0 ||
        header.ValueLength < sizeof(fixed) || !block.Read(valueAt, fixed) || fixed.dwSignature != VS_FFI_SIGNATURE)
        return std::nullopt;
    return TFileVersion(fixed.dwFileVersionMS) << 32 | fixed.dwFileVersionLS;
}

}  // namespace

std::optional<TFileVersion> PackageFileVersion(HANDLE file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0) return std::nullopt;
    const TMapping mapping(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return std::nullopt;
    const TView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return std::nullopt;
    return FixedFileVersion(VersionResource(TBytes(static_cast<const uint8_t*>(view.Get()), size.QuadPart)));
}

std::wstring VersionText(TFileVersion version) {
    std::wstring text;
    for (int shift = 48; shift >= 0; shift -= 16) {
        if (!text.empty()) text += L'.';
        text += std::to_wstring((version >> shift) & 0xFFFF);
    }
    return text;
}
