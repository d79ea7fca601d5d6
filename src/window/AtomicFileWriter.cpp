#include "window/AtomicFileWriter.h"

#include <wx/intl.h>
#include <wx/log.h>
#include <wx/xml/xml.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// An unbuffered file stream would cost one system call per GIF block of a
// few bytes; this one gathers them and keeps the first system error.
class FileSink : public wxOutputStream
{
public:
    explicit FileSink(int fd) : m_fd(fd) { m_buffer.reserve(kBufferSize); }
    ~FileSink() override { Abandon(); }

    bool Close() override
    {
        if (m_fd < 0)
            return m_errorCode == 0;
        Flush();
        // A device such as /dev/null cannot be synced; only its writes count.
        if (IsRegularFile() && fsync(m_fd) != 0)
            Fail(errno);
        if (close(m_fd) != 0)
            Fail(errno);
        m_fd = -1;
        return m_errorCode == 0;
    }

    // Closes without writing what is still buffered.
    void Abandon()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
        m_buffer.clear();
    }

    int ErrorCode() const { return m_errorCode; }

protected:
    size_t OnSysWrite(const void* data, size_t size) override
    {
        if (m_fd < 0 || m_errorCode != 0)
            return 0;
        const char* bytes = static_cast<const char*>(data);
        m_buffer.insert(m_buffer.end(), bytes, bytes + size);
        if (m_buffer.size() >= kBufferSize && !Flush())
            return 0;
        return size;
    }

private:
    static constexpr size_t kBufferSize = 1 << 16;

    bool Flush()
    {
        size_t done = 0;
        while (done < m_buffer.size() && m_errorCode == 0)
        {
            const ssize_t written = write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
            if (written > 0)
                done += size_t(written);
            else if (written < 0 && errno != EINTR)
                Fail(errno);
            else if (written == 0)
                Fail(ENOSPC);
        }
        m_buffer.clear();
        return m_errorCode == 0;
    }

    void Fail(int errorCode)
    {
        if (m_errorCode == 0)
            m_errorCode = errorCode;
        m_lasterror = wxSTREAM_WRITE_ERROR;
    }

    bool IsRegularFile() const
    {
        struct stat info;
        return fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode);
    }

    int m_fd;
    std::vector<char> m_buffer;
    int m_errorCode = 0;
};

namespace
{
wxString FolderOf(const wxString& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == wxString::npos ? wxString(".") : path.substr(0, slash == 0 ? 1 : slash);
}

wxString NameOf(const wxString& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == wxString::npos ? path : path.substr(slash + 1);
}

// The file a symbolic link names, or the path itself.
wxString ResolveLinks(const wxString& path)
{
    char resolved[PATH_MAX];
    if (!realpath(path.fn_str(), resolved))
        return path;
    return wxString(resolved, *wxConvFileName);
}
} // namespace

AtomicFileWriter::AtomicFileWriter() = default;

AtomicFileWriter::~AtomicFileWriter()
{
    Discard();
}

bool AtomicFileWriter::Fail(const wxString& format, int errorCode)
{
    m_error = wxString::Format(format, m_target, wxSysErrorMsgStr(errorCode));
    return false;
}

bool AtomicFileWriter::Open(const wxString& path)
{
    Discard();
    m_error.clear();
    m_target = path;
    struct stat info;
    if (stat(path.fn_str(), &info) == 0)
    {
        if (!S_ISREG(info.st_mode))
        {
            // Non-blocking, so that a pipe nobody reads fails instead of hanging.
            const int fd = open(path.fn_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0)
                return Fail(_("Cannot open the file \"%s\" for writing: %s"), errno);
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            m_sink.reset(new FileSink(fd));
            return true;
        }
        m_target = ResolveLinks(path);
    }
    return OpenTemporaryBeside(m_target);
}

// Created with the default permissions (the umask applies), or with those of
// the file it replaces.
bool AtomicFileWriter::OpenTemporaryBeside(const wxString& target)
{
    struct stat old;
    const bool replacing = stat(target.fn_str(), &old) == 0;
    static std::atomic<int> counter(0);
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        const wxString name = wxString::Format("%s/.%s.%ld-%d.tmp", FolderOf(target), NameOf(target),
                                               long(getpid()), ++counter);
        const int fd = open(name.fn_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return Fail(_("Cannot create the file \"%s\": %s"), errno);
        if (replacing)
            fchmod(fd, old.st_mode & 07777);
        m_temporary = name;
        m_sink.reset(new FileSink(fd));
        return true;
    }
    return Fail(_("Cannot create the file \"%s\": %s"), EEXIST);
}

wxOutputStream& AtomicFileWriter::Stream()
{
    return *m_sink;
}

bool AtomicFileWriter::Commit()
{
    if (!m_sink)
        return false;
    if (!m_sink->Close())
    {
        const int errorCode = m_sink->ErrorCode();
        Discard();
        return Fail(_("Cannot write the file \"%s\": %s"), errorCode);
    }
    m_sink.reset();
    if (!m_temporary.empty() && rename(m_temporary.fn_str(), m_target.fn_str()) != 0)
    {
        const int errorCode = errno;
        Discard();
        return Fail(_("Cannot replace the file \"%s\": %s"), errorCode);
    }
    m_temporary.clear();
    return true;
}

void AtomicFileWriter::Discard()
{
    m_sink.reset();
    if (!m_temporary.empty())
        unlink(m_temporary.fn_str());
    m_temporary.clear();
}

bool WriteXmlFile(const wxString& path, const wxXmlDocument& document, wxString* error)
{
    wxLogNull noLog;
    AtomicFileWriter writer;
    if (!writer.Open(path))
    {
        *error = writer.Error();
        return false;
    }
    if (!document.Save(writer.Stream(), 2) || !writer.Stream().IsOk())
    {
        writer.Discard();
        *error = _("the file could not be written completely; the disk may be full");
        return false;
    }
    if (!writer.Commit())
    {
        *error = writer.Error();
        return false;
    }
    return true;
}
