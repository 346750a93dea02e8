#pragma once

#include "printing/PagePicture.h"

#include <QList>
#include <QString>

#include <memory>

class QIODevice;

// The page store cannot take a page: its temporary file cannot be created or written.
class EPageStoreFailed : public EOutOfMemory
{
public:
    using EOutOfMemory::EOutOfMemory;
};

// The page store: pages back to back in one stream, in memory or in a temporary file, and one
// cached picture that LoadPage fills.
class TMetaFileList
{
public:
    TMetaFileList();
    ~TMetaFileList();
    TMetaFileList(const TMetaFileList &) = delete;
    TMetaFileList &operator=(const TMetaFileList &) = delete;

    // Appends a page; throws EPageStoreFailed when the stream refuses the bytes.
    void AddPage(const PagePicture &picture);
    int PageCount() const { return int(m_pageOffsets.size()); }
    // 0-based; an index outside the store gives an empty picture. The picture belongs to the
    // store and is valid until the next call.
    PagePicture &LoadPage(int index);
    void Clear();

    bool UseTempFile() const { return m_useTempFile; }
    // Moves the stored pages into a stream of the new kind, in order.
    void setUseTempFile(bool useTempFile);
    QString TempFileName() const { return m_tempFileName; }

private:
    std::unique_ptr<QIODevice> CreateStore();

    bool m_useTempFile = false;
    std::unique_ptr<QIODevice> m_stream;
    QList<qint64> m_pageOffsets;
    qint64 m_streamEnd = 0;
    QString m_tempFileName;
    std::unique_ptr<PagePicture> m_cached;
};
