#pragma once

#include "printing/PrintDocuments.h"

#include <QFont>
#include <QLineF>
#include <QPaintDevice>
#include <QPainter>
#include <QRectF>
#include <QString>

#include <memory>
#include <vector>

// What a page received: each text with its top-left corner and font, each line and rectangle,
// in page units. Positions, not pixels, are what composition promises.
struct RecordedText
{
    QString text;
    QPointF topLeft;
    QFont font;
};

struct RecordedPage
{
    std::vector<RecordedText> texts;
    std::vector<QLineF> lines;
    std::vector<QRectF> rects;

    const RecordedText *find(const QString &text) const;
    std::vector<const RecordedText *> findAll(const QString &text) const;
};

// A page sink that records every page instead of rendering it; 96 logical dots per inch.
class PageRecorder : public PageSink
{
public:
    PageRecorder();
    ~PageRecorder() override;

    QPainter &canvas() override;
    void newPage() override;
    // Ends the last page; the recorder is then read through pages().
    void finish();
    const std::vector<RecordedPage> &pages() const { return m_pages; }

    class Device;

private:
    void open();

    std::vector<RecordedPage> m_pages;
    std::unique_ptr<Device> m_device;
    std::unique_ptr<QPainter> m_painter;
};
