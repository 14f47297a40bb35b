#pragma once
#include <optional>
#include <string>

#include "core/base/background_job.h"

class CQPDoc;
class QObject;

// Reads the file list of a folder on a worker thread and hands it to the document on the GUI
// thread, so that a folder of many thousand files (a stat each) never holds the window. The
// folder asked for last is the one shown: one asked for while another is read replaces any
// that waits, and a read that ends with a newer one waiting is not shown.
class FileListLoader {
public:
    // The document is filled through events of context (on the GUI thread), which must
    // outlive the loader.
    FileListLoader(CQPDoc& doc, QObject* context) : m_doc(doc), m_context(context) {}
    ~FileListLoader() = default;  // a read under way is waited for and not shown
    FileListLoader(const FileListLoader&) = delete;
    FileListLoader& operator=(const FileListLoader&) = delete;

    // Shows the ".wav" files of folder (ending with the separator) once they are read.
    void Load(std::string folder);
    // A folder is read, or waits to be.
    bool IsLoading() const { return m_job.Running() || m_waiting.has_value(); }

private:
    void StartWaiting();

    CQPDoc& m_doc;
    QObject* m_context;
    std::optional<std::string> m_waiting;  // asked for while another folder was read
    BackgroundJob m_job;                   // last: it goes first
};
