#include "window/FrameStore.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/utils.h>

#include <lz4.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{
const char* const kStoreFilePrefix = "frames-";
const char* const kStoreFileSuffix = ".store";

// Leaves new elements uninitialised: every buffer of the store is written
// whole right after it is made (copied pixels, compressed or read data), and
// clearing 6 MB first costs as much as compressing a flat picture.
template <typename T>
struct UninitialisedAllocator : std::allocator<T>
{
    template <typename U>
    struct rebind
    {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept
    {
    }
    template <typename U>
    void construct(U* place) noexcept
    {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Args>
    void construct(U* place, Args&&... args)
    {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }
};

using Bytes = std::vector<unsigned char, UninitialisedAllocator<unsigned char>>;
using SharedBytes = std::shared_ptr<const Bytes>;

// What is needed to make the picture again besides its pixels.
struct PictureShape
{
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    bool hasMask = false;
    unsigned char mask[3] = {0, 0, 0};

    size_t PixelBytes() const { return size_t(width) * height * 3; }
    size_t RawBytes() const { return PixelBytes() + (hasAlpha ? size_t(width) * height : 0); }
};

struct Record
{
    PictureShape shape;
    SharedBytes compressed; // null when the picture lives in the file
    off_t fileOffset = -1;
    size_t fileBytes = 0;
};

PictureShape ShapeOf(const wxImage& image)
{
    PictureShape shape;
    shape.width = image.GetWidth();
    shape.height = image.GetHeight();
    shape.hasAlpha = image.HasAlpha();
    shape.hasMask = image.HasMask();
    if (shape.hasMask)
    {
        shape.mask[0] = image.GetMaskRed();
        shape.mask[1] = image.GetMaskGreen();
        shape.mask[2] = image.GetMaskBlue();
    }
    return shape;
}

Bytes RawPixels(const wxImage& image, const PictureShape& shape)
{
    Bytes raw(shape.RawBytes());
    std::memcpy(raw.data(), image.GetData(), shape.PixelBytes());
    if (shape.hasAlpha)
        std::memcpy(raw.data() + shape.PixelBytes(), image.GetAlpha(), raw.size() - shape.PixelBytes());
    return raw;
}

wxImage ImageFromRaw(const Bytes& raw, const PictureShape& shape)
{
    // wxImage takes malloc'd buffers.
    unsigned char* pixels = static_cast<unsigned char*>(malloc(shape.PixelBytes()));
    if (!pixels)
        return wxImage();
    std::memcpy(pixels, raw.data(), shape.PixelBytes());
    wxImage image(shape.width, shape.height, pixels);
    if (shape.hasAlpha)
    {
        unsigned char* alpha = static_cast<unsigned char*>(malloc(raw.size() - shape.PixelBytes()));
        if (!alpha)
            return wxImage();
        std::memcpy(alpha, raw.data() + shape.PixelBytes(), raw.size() - shape.PixelBytes());
        image.SetAlpha(alpha);
    }
    if (shape.hasMask)
        image.SetMaskColour(shape.mask[0], shape.mask[1], shape.mask[2]);
    return image;
}

// LZ4 rather than zstd: on 1080p photographs it decodes three times
// as fast (the preview decodes a frame every 40 ms), and the pictures that do
// not fit the memory budget go to the file either way.
//
// Photographs and camera frames shrink by a few percent only, and the full
// search for matches costs ten times a copy on them; a trial on the first
// rows tells, and such pictures are packed with LZ4's fast setting, which
// skips ahead where it finds nothing and stores them nearly as they are.
int ChooseAcceleration(const unsigned char* raw, size_t size)
{
    const int kTrialBytes = 256 << 10;
    const int kFastAcceleration = 64;
    if (size < size_t(4 * kTrialBytes))
        return 1;
    thread_local std::vector<char> trial(size_t(LZ4_compressBound(kTrialBytes)));
    const int trialSize = LZ4_compress_default(reinterpret_cast<const char*>(raw), trial.data(), kTrialBytes,
                                               int(trial.size()));
    return trialSize > kTrialBytes / 10 * 9 ? kFastAcceleration : 1;
}

Bytes Compress(const unsigned char* raw, size_t size)
{
    if (size > size_t(LZ4_MAX_INPUT_SIZE))
        return Bytes();
    const size_t bound = size_t(LZ4_compressBound(int(size)));
    Bytes packed(bound);
    const int packedSize =
        LZ4_compress_fast(reinterpret_cast<const char*>(raw), reinterpret_cast<char*>(packed.data()), int(size),
                          int(packed.size()), ChooseAcceleration(raw, size));
    if (packedSize <= 0)
        return Bytes();
    packed.resize(size_t(packedSize));
    // Photographs hardly shrink: copying them to save a few percent is not
    // worth it; flat pictures shrink to a fraction and are copied.
    if (packed.capacity() - packed.size() > packed.size() / 16)
        packed.shrink_to_fit();
    return packed;
}

// Pictures without alpha are compressed straight from the image's pixels.
Bytes CompressPicture(const wxImage& image, const PictureShape& shape)
{
    if (!shape.hasAlpha)
        return Compress(image.GetData(), shape.PixelBytes());
    const Bytes raw = RawPixels(image, shape);
    return Compress(raw.data(), raw.size());
}

bool Decompress(const Bytes& packed, Bytes& raw)
{
    const int size = LZ4_decompress_safe(reinterpret_cast<const char*>(packed.data()),
                                         reinterpret_cast<char*>(raw.data()), int(packed.size()), int(raw.size()));
    return size >= 0 && size_t(size) == raw.size();
}

wxString StoreFileName(long pid)
{
    return wxString::Format("%s%ld%s", kStoreFilePrefix, pid, kStoreFileSuffix);
}

// An exclusive lock marks a store as in use; the kernel drops it when its
// process ends, however it ends.
bool LockFile(int fd)
{
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
}
} // namespace

class FrameStoreData
{
public:
    explicit FrameStoreData(const FrameStoreSettings& settings) : m_settings(settings) {}
    ~FrameStoreData() { CloseFile(); }

    long Put(const wxImage& image, wxString* failure);
    wxImage Load(long id);
    void Release(long id);

    size_t MemoryBytes();
    size_t FileBytes();
    wxString FilePath();

private:
    bool WriteToFile(Record& record, const Bytes& packed, wxString* failure);
    bool OpenFile(wxString* failure);
    void CloseFile();
    off_t AllocateFileSpace(size_t bytes);
    void FreeFileSpace(off_t offset, size_t bytes);
    SharedBytes ReadPacked(const Record& record);
    SharedBytes CachedRaw(long id);
    void RememberRaw(long id, const SharedBytes& raw);

    const FrameStoreSettings m_settings;
    std::mutex m_mutex;
    std::map<long, Record> m_records;
    long m_nextId = 1;
    size_t m_memoryBytes = 0;

    int m_fd = -1;
    wxString m_filePath;
    std::string m_fileSystemPath;
    off_t m_fileEnd = 0;
    std::map<off_t, size_t> m_freeSpace;  // holes left by released pictures
    size_t m_fileBytes = 0;

    std::list<std::pair<long, SharedBytes>> m_decoded;  // most recent first
    size_t m_decodedBytes = 0;
};

long FrameStoreData::Put(const wxImage& image, wxString* failure)
{
    if (!image.IsOk())
    {
        if (failure)
            *failure = _("the picture could not be compressed");
        return 0;
    }
    Record record;
    record.shape = ShapeOf(image);
    // Compression runs outside the lock, so that loaders work in parallel.
    Bytes packed = CompressPicture(image, record.shape);
    if (packed.empty())
    {
        if (failure)
            *failure = _("the picture could not be compressed");
        return 0;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_memoryBytes + packed.size() <= m_settings.memoryBudget)
    {
        m_memoryBytes += packed.size();
        record.compressed = std::make_shared<const Bytes>(std::move(packed));
    }
    else if (!WriteToFile(record, packed, failure))
    {
        return 0;
    }
    const long id = m_nextId++;
    m_records.emplace(id, std::move(record));
    return id;
}

bool FrameStoreData::WriteToFile(Record& record, const Bytes& packed, wxString* failure)
{
    if (!OpenFile(failure))
        return false;
    const off_t offset = AllocateFileSpace(packed.size());
    size_t written = 0;
    while (written < packed.size())
    {
        const ssize_t done = pwrite(m_fd, packed.data() + written, packed.size() - written, offset + written);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
        {
            const int error = done < 0 ? errno : ENOSPC;
            FreeFileSpace(offset, packed.size());
            if (failure)
                *failure = wxString::Format(_("the temporary frame store \"%s\" could not be written: %s"),
                                            m_filePath, wxString(strerror(error)));
            return false;
        }
        written += size_t(done);
    }
    record.fileOffset = offset;
    record.fileBytes = packed.size();
    m_fileBytes += packed.size();
    return true;
}

bool FrameStoreData::OpenFile(wxString* failure)
{
    if (m_fd >= 0)
        return true;
    wxFileName::Mkdir(m_settings.directory, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    m_filePath = m_settings.directory + "/" + StoreFileName(wxGetProcessId());
    // A process may hold several stores (the tests do): each gets its own file.
    for (int attempt = 1; wxFileExists(m_filePath); ++attempt)
        m_filePath = m_settings.directory + "/" +
                     wxString::Format("%s%ld-%d%s", kStoreFilePrefix, wxGetProcessId(), attempt, kStoreFileSuffix);
    m_fileSystemPath = std::string(m_filePath.fn_str());
    m_fd = open(m_fileSystemPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (m_fd < 0 || !LockFile(m_fd))
    {
        if (failure)
            *failure = wxString::Format(_("the temporary frame store \"%s\" could not be created: %s"), m_filePath,
                                        wxString(strerror(errno)));
        CloseFile();
        return false;
    }
    return true;
}

void FrameStoreData::CloseFile()
{
    if (m_fd < 0)
        return;
    close(m_fd);
    m_fd = -1;
    // Plain unlink: the last frame may go during static destruction, when
    // the toolkit's conversions are gone.
    unlink(m_fileSystemPath.c_str());
}

off_t FrameStoreData::AllocateFileSpace(size_t bytes)
{
    for (auto hole = m_freeSpace.begin(); hole != m_freeSpace.end(); ++hole)
    {
        if (hole->second < bytes)
            continue;
        const off_t offset = hole->first;
        const size_t rest = hole->second - bytes;
        m_freeSpace.erase(hole);
        if (rest > 0)
            m_freeSpace[offset + off_t(bytes)] = rest;
        return offset;
    }
    const off_t offset = m_fileEnd;
    m_fileEnd += off_t(bytes);
    return offset;
}

void FrameStoreData::FreeFileSpace(off_t offset, size_t bytes)
{
    if (offset + off_t(bytes) == m_fileEnd)
    {
        m_fileEnd = offset;
        // The disk gets the space back at once.
        if (ftruncate(m_fd, m_fileEnd) != 0)
            m_freeSpace[offset] = bytes;
        return;
    }
    m_freeSpace[offset] = bytes;
}

SharedBytes FrameStoreData::ReadPacked(const Record& record)
{
    if (record.fileOffset < 0)
        return record.compressed;
    auto packed = std::make_shared<Bytes>(record.fileBytes);
    size_t done = 0;
    while (done < packed->size())
    {
        const ssize_t got = pread(m_fd, packed->data() + done, packed->size() - done, record.fileOffset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return nullptr;
        done += size_t(got);
    }
    return packed;
}

SharedBytes FrameStoreData::CachedRaw(long id)
{
    for (auto entry = m_decoded.begin(); entry != m_decoded.end(); ++entry)
    {
        if (entry->first != id)
            continue;
        m_decoded.splice(m_decoded.begin(), m_decoded, entry);
        return entry->second;
    }
    return nullptr;
}

void FrameStoreData::RememberRaw(long id, const SharedBytes& raw)
{
    if (raw->size() > m_settings.decodedCacheBytes || CachedRaw(id))
        return;
    m_decoded.emplace_front(id, raw);
    m_decodedBytes += raw->size();
    while (m_decodedBytes > m_settings.decodedCacheBytes)
    {
        m_decodedBytes -= m_decoded.back().second->size();
        m_decoded.pop_back();
    }
}

wxImage FrameStoreData::Load(long id)
{
    PictureShape shape;
    SharedBytes packed;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto record = m_records.find(id);
        if (record == m_records.end())
            return wxImage();
        shape = record->second.shape;
        if (SharedBytes raw = CachedRaw(id))
            return ImageFromRaw(*raw, shape);
        // The file is read under the lock: a hole may be reused as soon as
        // the picture is released.
        packed = ReadPacked(record->second);
        if (!packed)
            return wxImage();
    }
    auto raw = std::make_shared<Bytes>(shape.RawBytes());
    if (!Decompress(*packed, *raw))
        return wxImage();
    wxImage image = ImageFromRaw(*raw, shape);
    std::lock_guard<std::mutex> lock(m_mutex);
    RememberRaw(id, raw);
    return image;
}

void FrameStoreData::Release(long id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto record = m_records.find(id);
    if (record == m_records.end())
        return;
    if (record->second.fileOffset >= 0)
    {
        FreeFileSpace(record->second.fileOffset, record->second.fileBytes);
        m_fileBytes -= record->second.fileBytes;
    }
    if (record->second.compressed)
        m_memoryBytes -= record->second.compressed->size();
    m_records.erase(record);
    m_decoded.remove_if([this, id](const std::pair<long, SharedBytes>& entry) {
        if (entry.first != id)
            return false;
        m_decodedBytes -= entry.second->size();
        return true;
    });
}

size_t FrameStoreData::MemoryBytes()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_memoryBytes;
}

size_t FrameStoreData::FileBytes()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fileBytes;
}

wxString FrameStoreData::FilePath()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fd >= 0 ? m_filePath : wxString();
}

StoredFrame::StoredFrame(const std::shared_ptr<FrameStoreData>& store, long id, wxSize size)
    : m_store(store), m_id(id), m_size(size)
{
}

StoredFrame::~StoredFrame()
{
    m_store->Release(m_id);
}

wxImage StoredFrame::Load() const
{
    return m_store->Load(m_id);
}

FrameStore::FrameStore(const FrameStoreSettings& settings) : m_data(std::make_shared<FrameStoreData>(settings)) {}

FrameStore::~FrameStore() = default;

FrameRef FrameStore::Put(const wxImage& image, wxString* failure)
{
    const long id = m_data->Put(image, failure);
    if (id == 0)
        return nullptr;
    return std::make_shared<const StoredFrame>(m_data, id, image.GetSize());
}

size_t FrameStore::MemoryBytes() const
{
    return m_data->MemoryBytes();
}

size_t FrameStore::FileBytes() const
{
    return m_data->FileBytes();
}

wxString FrameStore::FilePath() const
{
    return m_data->FilePath();
}

wxString FrameStoreDirectory()
{
    wxString cache;
    if (!wxGetEnv("XDG_CACHE_HOME", &cache) || !wxIsAbsolutePath(cache))
        cache = wxGetHomeDir() + "/.cache";
    return cache + "/pelagrin-gif-animator";
}

int RemoveAbandonedFrameStores(const wxString& directory)
{
    wxArrayString files;
    if (!wxDirExists(directory))
        return 0;
    wxDir::GetAllFiles(directory, &files, wxString(kStoreFilePrefix) + "*" + kStoreFileSuffix, wxDIR_FILES);
    int removed = 0;
    for (const wxString& path : files)
    {
        const int fd = open(path.fn_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (LockFile(fd) && wxRemoveFile(path))
            ++removed;
        close(fd);
    }
    return removed;
}

namespace
{
std::mutex g_programStoreMutex;
std::shared_ptr<FrameStore> g_programStore;
size_t g_programStoreBudget = FrameStoreSettings().memoryBudget;
} // namespace

FrameStore& ProgramFrameStore()
{
    return *HoldProgramFrameStore();
}

std::shared_ptr<FrameStore> HoldProgramFrameStore()
{
    std::lock_guard<std::mutex> lock(g_programStoreMutex);
    if (!g_programStore)
    {
        FrameStoreSettings settings;
        settings.directory = FrameStoreDirectory();
        settings.memoryBudget = g_programStoreBudget;
        RemoveAbandonedFrameStores(settings.directory);
        g_programStore = std::make_shared<FrameStore>(settings);
    }
    return g_programStore;
}

void ShutDownProgramFrameStore()
{
    std::lock_guard<std::mutex> lock(g_programStoreMutex);
    g_programStore.reset();
}

void SetProgramFrameStoreBudget(size_t memoryBudget)
{
    std::lock_guard<std::mutex> lock(g_programStoreMutex);
    g_programStoreBudget = memoryBudget;
}
