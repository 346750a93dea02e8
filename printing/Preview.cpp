#include "printing/Preview.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QPaintEvent>
#include <QPainter>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

const char *const NoPageMemory = "Not enough memory to create a new page";

bool isKnownUnit(TUnits units)
{
    return units >= mmPixel && units <= mmTWIPS;
}

qint64 unitsPerInch(TUnits units, int dpi)
{
    switch (units) {
    case mmPixel: return dpi;
    case mmLoMetric: return 254;
    case mmHiMetric: return 2540;
    case mmLoEnglish: return 10;
    case mmHiEnglish: return 100;
    case mmTWIPS: return 1440;
    }
    return 1;
}

int saturated(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Rounds half away from zero, as integer scaling of lengths does.
qint64 mulDivRounded(qint64 value, qint64 numerator, qint64 denominator)
{
    const qint64 product = value * numerator;
    qint64 quotient = product / denominator;
    const qint64 remainder = product % denominator;
    if (2 * std::llabs(remainder) >= denominator)
        quotient += product < 0 ? -1 : 1;
    return quotient;
}

} // namespace

int ConvertUnits(int value, int dpi, TUnits from, TUnits to)
{
    if (from == to || !isKnownUnit(from) || !isKnownUnit(to))
        return value;
    struct Exact
    {
        TUnits from, to;
        bool multiply;
        qint64 factor;
    };
    static constexpr Exact exact[] = {
        {mmLoMetric, mmHiMetric, true, 10},    {mmLoEnglish, mmHiMetric, true, 254},
        {mmLoEnglish, mmHiEnglish, true, 10},  {mmHiMetric, mmLoMetric, false, 10},
        {mmHiMetric, mmLoEnglish, false, 254}, {mmHiEnglish, mmLoEnglish, false, 10},
    };
    for (const Exact &e : exact) {
        if (e.from == from && e.to == to)
            return saturated(e.multiply ? qint64(value) * e.factor : qint64(value) / e.factor);
    }
    const qint64 numerator = unitsPerInch(to, dpi);
    const qint64 denominator = unitsPerInch(from, dpi);
    // A pixel of a device without a resolution cannot be converted.
    if (numerator <= 0 || denominator <= 0)
        return value;
    return saturated(mulDivRounded(value, numerator, denominator));
}

const TPaperTable PaperTable;

const TPaperSizeInfo &TPaperTable::operator[](TPaperType type) const
{
    static const std::array<TPaperSizeInfo, PaperTypeCount> table = [] {
        std::array<TPaperSizeInfo, PaperTypeCount> rows{};
        for (int t = 0; t < pCustom; ++t) {
            // The Windows codes skip the two reserved values 48 and 49.
            const int code = t <= 46 ? t + 1 : t + 3;
            const QPageSize::PageSizeId id = QPageSize::id(code);
            // Qt's only gap is Folio, 8.5 x 13 inches.
            const QSizeF mm = id != QPageSize::Custom ? QPageSize::size(id, QPageSize::Millimeter)
                                                      : QSizeF(8.5 * 25.4, 13.0 * 25.4);
            rows[t] = {code, qRound(mm.width() * 10), qRound(mm.height() * 10)};
        }
        rows[pCustom] = {255, 0, 0};
        return rows;
    }();
    return table[qBound(0, int(type), PaperTypeCount - 1)];
}

namespace {
int alivePictures = 0;
int peakPictures = 0;
} // namespace

TPagePicture::TPagePicture()
{
    peakPictures = qMax(peakPictures, ++alivePictures);
}

TPagePicture::~TPagePicture()
{
    --alivePictures;
}

int TPagePicture::Alive()
{
    return alivePictures;
}

int TPagePicture::PeakAlive()
{
    return peakPictures;
}

void TPagePicture::ResetPeakAlive()
{
    peakPictures = alivePictures;
}

void DrawPage(QPainter &painter, const TPagePicture &page, const QRectF &target)
{
    const QPaintDevice *device = painter.device();
    if (page.isNull() || page.PaperSizeMm.isEmpty() || !device || target.isEmpty())
        return;
    // A picture replays scaled by the device's resolution over its own, so unscaled the paper
    // would cover its real size at the device's resolution; stretch that onto the target.
    const qreal naturalWidth = page.PaperSizeMm.width() / 25.4 * device->logicalDpiX();
    const qreal naturalHeight = page.PaperSizeMm.height() / 25.4 * device->logicalDpiY();
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / naturalWidth, target.height() / naturalHeight);
    painter.drawPicture(0, 0, page);
    painter.restore();
}

namespace {

// Each stored page: the byte count of the picture, the paper in millimetres, then the picture.
constexpr int PageHeaderSize = 4 + 8 + 8;

QByteArray pageHeader(const TPagePicture &picture)
{
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out << quint32(picture.size()) << picture.PaperSizeMm.width() << picture.PaperSizeMm.height();
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

void TMetaFileList::AddPage(const TPagePicture &picture)
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

TPagePicture &TMetaFileList::LoadPage(int index)
{
    if (!m_cached)
        m_cached = std::make_unique<TPagePicture>();
    m_cached->setData(nullptr, 0);
    m_cached->PaperSizeMm = QSizeF();
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
    m_cached->PaperSizeMm = QSizeF(width, height);
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

TPaperPreview::TPaperPreview(QWidget *parent)
    : QWidget(parent)
{
    // The paint handler covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setPaperSize(105, 148);
}

QRect TPaperPreview::PageRect() const
{
    return QRect(QPoint(m_borderSize, m_borderSize), QPoint(width() - m_shadowSize - m_borderSize - 1,
                                                            height() - m_shadowSize - m_borderSize - 1));
}

QSize TPaperPreview::sizeHint() const
{
    return size();
}

void TPaperPreview::setPaperSize(int paperWidth, int paperHeight)
{
    resize(qMax(0, paperWidth) + 2 * m_borderSize + m_shadowSize,
           qMax(0, paperHeight) + 2 * m_borderSize + m_shadowSize);
}

void TPaperPreview::setPaperWidth(int width)
{
    if (width != PaperWidth())
        setPaperSize(width, PaperHeight());
}

void TPaperPreview::setPaperHeight(int height)
{
    if (height != PaperHeight())
        setPaperSize(PaperWidth(), height);
}

void TPaperPreview::setPaperColor(TColor color)
{
    if (color != m_paperColor) {
        m_paperColor = color;
        update();
    }
}

void TPaperPreview::setBorderColor(TColor color)
{
    if (color != m_borderColor) {
        m_borderColor = color;
        update();
    }
}

void TPaperPreview::setShadowColor(TColor color)
{
    if (color != m_shadowColor) {
        m_shadowColor = color;
        update();
    }
}

// Border and shadow keep the paper's size: the control grows or shrinks around it.
void TPaperPreview::setBorderSize(int size)
{
    size = qMax(0, size);
    if (size != m_borderSize) {
        const int paperWidth = PaperWidth(), paperHeight = PaperHeight();
        m_borderSize = size;
        setPaperSize(paperWidth, paperHeight);
        update();
    }
}

void TPaperPreview::setShadowSize(int size)
{
    size = qMax(0, size);
    if (size != m_shadowSize) {
        const int paperWidth = PaperWidth(), paperHeight = PaperHeight();
        m_shadowSize = size;
        setPaperSize(paperWidth, paperHeight);
        update();
    }
}

void TPaperPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width(), h = height(), shadow = m_shadowSize;
    if (m_borderSize > 0) {
        // The outline lies inside the frame (0, 0)..(w - shadow, h - shadow).
        QPen pen(toQColor(m_borderColor), m_borderSize);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QRectF frame(0, 0, w - shadow, h - shadow);
        const qreal inset = m_borderSize / 2.0;
        painter.drawRect(frame.adjusted(inset, inset, -inset, -inset));
    }
    if (shadow > 0) {
        const QColor shadowColor = toQColor(m_shadowColor);
        painter.fillRect(QRect(QPoint(w - shadow, shadow), QPoint(w - 1, h - 1)), shadowColor);
        painter.fillRect(QRect(QPoint(shadow, h - shadow), QPoint(w - 1, h - 1)), shadowColor);
        const QColor own = palette().color(backgroundRole());
        painter.fillRect(QRect(w - shadow, 0, shadow, shadow), own);
        painter.fillRect(QRect(0, h - shadow, shadow, shadow), own);
    }
    const QRect page = PageRect();
    painter.fillRect(page, toQColor(m_paperColor));
    painter.save();
    painter.setClipRect(page);
    emit paperPaint(painter, page);
    painter.restore();
}

void TPaperPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit paperResize();
}
