#include "tests/printing/PageRecorder.h"

#include <QFontMetricsF>
#include <QPaintEngine>

namespace {

class RecordingEngine : public QPaintEngine
{
public:
    RecordedPage *page = nullptr;

    RecordingEngine()
        : QPaintEngine(AllFeatures)
    {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    Type type() const override { return User; }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPath(const QPainterPath &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}

    void drawTextItem(const QPointF &baseline, const QTextItem &item) override
    {
        const QPointF at = painter()->transform().map(baseline);
        page->texts.push_back(
            {item.text(), at - QPointF(0, QFontMetricsF(item.font()).ascent()), item.font()});
    }
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            page->lines.push_back(painter()->transform().map(lines[i]));
    }
    void drawLines(const QLine *lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            page->lines.push_back(painter()->transform().map(QLineF(lines[i])));
    }
    void drawRects(const QRectF *rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            page->rects.push_back(painter()->transform().mapRect(rects[i]));
    }
    void drawRects(const QRect *rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            page->rects.push_back(painter()->transform().mapRect(QRectF(rects[i])));
    }
};

} // namespace

class PageRecorder::Device : public QPaintDevice
{
public:
    RecordingEngine engine;
    QPaintEngine *paintEngine() const override { return const_cast<RecordingEngine *>(&engine); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight: return 10000;
        case PdmWidthMM:
        case PdmHeightMM: return 1000;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return QPaintDevice::metric(metric);
        }
    }
};

const RecordedText *RecordedPage::find(const QString &text) const
{
    for (const RecordedText &t : texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

std::vector<const RecordedText *> RecordedPage::findAll(const QString &text) const
{
    std::vector<const RecordedText *> found;
    for (const RecordedText &t : texts)
        if (t.text == text)
            found.push_back(&t);
    return found;
}

PageRecorder::PageRecorder()
    : m_device(std::make_unique<Device>())
{
    open();
}

PageRecorder::~PageRecorder()
{
    finish();
}

void PageRecorder::open()
{
    m_pages.emplace_back();
    m_device->engine.page = &m_pages.back();
    m_painter = std::make_unique<QPainter>(m_device.get());
}

QPainter &PageRecorder::canvas()
{
    return *m_painter;
}

void PageRecorder::newPage()
{
    m_painter.reset();
    open();
}

void PageRecorder::finish()
{
    m_painter.reset();
}
