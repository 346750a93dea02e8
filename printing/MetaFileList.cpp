#include "printing/MetaFileList.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QTemporaryFile>

namespace {
const char *const NoPageMemory = "Not enough memory to create a new page";
} // namespace

namespace {

// Each stored page: the byte count of the picture, the paper in millimetres, then the picture.
constexpr int PageHeaderSize = 4 + 8 + 8;

QByteArray pageHeader(const PagePicture &picture)
{
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out << quint32(picture.size()) << picture.paperSizeMm.width() << picture.paperSizeMm.height();
    return header;
}

bool writeAll(QIODevice &device, const char *data, qint64 size)
{
    return device.write(data, size) == size;
}

} // namespace

TMetaFileList::TMetaFileList() = default;

TMetaFileList::~TMetaFileList()
{
    Clear();
}

std::unique_ptr<QIODevice> TMetaFileList::CreateStore()
{
    if (m_useTempFile) {
        auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/TMPXXXXXX"));
        if (!file->open())
            throw EPageStoreFailed(NoPageMemory);
        m_tempFileName = file->fileName();
        return file;
    }
    auto buffer = std::make_unique<QBuffer>();
    buffer->open(QIODevice::ReadWrite);
    return buffer;
}

void TMetaFileList::AddPage(const PagePicture &picture)
{
    if (!m_stream)
        m_stream = CreateStore();
    const QByteArray header = pageHeader(picture);
    // A failed write leaves the end where it was: the next page overwrites the remains.
    if (!m_stream->seek(m_streamEnd) || !writeAll(*m_stream, header.constData(), header.size()) ||
        !writeAll(*m_stream, picture.data(), picture.size()))
        throw EPageStoreFailed(NoPageMemory);
    m_pageOffsets.append(m_streamEnd);
    m_streamEnd += header.size() + picture.size();
}

PagePicture &TMetaFileList::LoadPage(int index)
{
    if (!m_cached)
        m_cached = std::make_unique<PagePicture>();
    m_cached->setData(nullptr, 0);
    m_cached->paperSizeMm = QSizeF();
    if (index < 0 || index >= PageCount() || !m_stream || !m_stream->seek(m_pageOffsets[index]))
        return *m_cached;
    const QByteArray header = m_stream->read(PageHeaderSize);
    QDataStream in(header);
    quint32 size = 0;
    double width = 0, height = 0;
    in >> size >> width >> height;
    if (in.status() != QDataStream::Ok)
        return *m_cached;
    const QByteArray data = m_stream->read(size);
    if (data.size() != qsizetype(size))
        return *m_cached;
    m_cached->setData(data.constData(), size);
    m_cached->paperSizeMm = QSizeF(width, height);
    return *m_cached;
}

void TMetaFileList::Clear()
{
    m_pageOffsets.clear();
    m_stream.reset(); // a temporary file removes itself
    m_streamEnd = 0;
    m_tempFileName.clear();
    m_cached.reset();
}

void TMetaFileList::setUseTempFile(bool useTempFile)
{
    if (useTempFile == m_useTempFile)
        return;
    m_useTempFile = useTempFile;
    if (!m_stream)
        return;
    const QString oldName = m_tempFileName;
    std::unique_ptr<QIODevice> fresh;
    bool copied = false;
    try {
        fresh = CreateStore();
        copied = m_stream->seek(0);
        for (qint64 done = 0; copied && done < m_streamEnd;) {
            const QByteArray chunk = m_stream->read(qMin<qint64>(1 << 20, m_streamEnd - done));
            copied = !chunk.isEmpty() && writeAll(*fresh, chunk.constData(), chunk.size());
            done += chunk.size();
        }
    } catch (const EOutOfMemory &) {
        copied = false;
    }
    if (!copied) {
        // The pages stay where they are rather than being lost half-way.
        fresh.reset();
        m_useTempFile = !useTempFile;
        m_tempFileName = oldName;
        return;
    }
    m_stream = std::move(fresh);
    if (!useTempFile)
        m_tempFileName.clear();
}
