// Writing a file so that the old one stays whole until the new one is
// complete.
#pragma once

#include <wx/stream.h>
#include <wx/string.h>

#include <memory>

class FileSink;
class wxXmlDocument;

// The bytes go to a temporary file beside the target (so the rename stays on
// one file system), which replaces the target only when every byte was
// written, flushed and closed without error. A target that exists and is not
// a regular file, such as a device, is written in place instead: a rename
// must never replace it. A symbolic link is followed to the file it names.
class AtomicFileWriter
{
public:
    AtomicFileWriter();
    ~AtomicFileWriter(); // discards what was not committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Open(const wxString& path);
    // Valid between a successful Open and Commit or Discard. Its error state
    // turns bad at the first write that fails.
    wxOutputStream& Stream();
    // Flushes, closes and puts the file in place. On failure the temporary
    // file is removed and the target left as it was.
    bool Commit();
    // Drops what was written; the target is left as it was.
    void Discard();

    // Why the last Open or Commit failed, for the user.
    wxString Error() const { return m_error; }

private:
    bool OpenTemporaryBeside(const wxString& target);
    bool Fail(const wxString& format, int errorCode);

    wxString m_target;     // the file that is replaced
    wxString m_temporary;  // empty when writing in place
    std::unique_ptr<FileSink> m_sink;
    wxString m_error;
};

// Saves an XML document (indentation step 2) through an AtomicFileWriter; on
// failure the old file is unchanged and *error says why.
bool WriteXmlFile(const wxString& path, const wxXmlDocument& document, wxString* error);
