// Where the full pictures of the frames live while a project is open. A
// frame's picture is kept compressed, losslessly: in memory up to a budget,
// beyond it in a temporary file of the store's own. A few recently used
// pictures are kept decoded for the preview and the save. Every operation
// may be called from any thread.
#pragma once

#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>

#include <cstddef>
#include <memory>

class FrameStoreData;

// One picture in the store. The picture is released when the last reference
// to it goes; references may outlive the store object itself.
class StoredFrame
{
public:
    StoredFrame(const std::shared_ptr<FrameStoreData>& store, long id, wxSize size);
    ~StoredFrame();
    StoredFrame(const StoredFrame&) = delete;
    StoredFrame& operator=(const StoredFrame&) = delete;

    wxSize GetSize() const { return m_size; }
    // The picture exactly as it was put in, as an image that shares nothing
    // with any other (so it can be handed to another thread). Invalid when
    // the picture cannot be read back.
    wxImage Load() const;

private:
    std::shared_ptr<FrameStoreData> m_store;
    long m_id;
    wxSize m_size;
};

using FrameRef = std::shared_ptr<const StoredFrame>;

struct FrameStoreSettings
{
    wxString directory;                     // where the temporary file goes
    size_t memoryBudget = 192u << 20;       // compressed bytes kept in memory
    size_t decodedCacheBytes = 32u << 20;   // decoded pictures kept for reuse (five of 1080p)
};

class FrameStore
{
public:
    explicit FrameStore(const FrameStoreSettings& settings);
    ~FrameStore();
    FrameStore(const FrameStore&) = delete;
    FrameStore& operator=(const FrameStore&) = delete;

    // Keeps a copy of the picture (pixels, alpha and mask colour). Null with
    // a reason for the user in *failure when it cannot be kept (a full disk).
    FrameRef Put(const wxImage& image, wxString* failure);

    // What the store holds now, for the benchmark and the tests.
    size_t MemoryBytes() const;
    size_t FileBytes() const;
    wxString FilePath() const;

private:
    std::shared_ptr<FrameStoreData> m_data;
};

// The folder of temporary stores: "<XDG cache>/pelagrin-gif-animator".
wxString FrameStoreDirectory();
// Removes the stores in directory that no running program holds (left by a
// process that was killed). Returns how many were removed.
int RemoveAbandonedFrameStores(const wxString& directory);

// The program's store, made on first use in FrameStoreDirectory() and removed
// by ShutDownProgramFrameStore (or when the process ends normally).
FrameStore& ProgramFrameStore();
// The same store, held: a worker thread keeps it alive for as long as it may
// put pictures into it, even past ShutDownProgramFrameStore.
std::shared_ptr<FrameStore> HoldProgramFrameStore();
void ShutDownProgramFrameStore();
// The memory budget of the program's store; takes effect when the store is
// made next.
void SetProgramFrameStoreBudget(size_t memoryBudget);
