#include "printing/FPP.h"

#include "controls/MessageBox.h"

#include "platform/Brand.h"
#include "platform/SharedPrinter.h"
#include "printing/PrintDocuments.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

#include <memory>

namespace {

// Jobs of more pages than this show their progress and can be cancelled.
constexpr int QuietJobPages = 3;

QFont sansSerif(int pixelSize, bool bold = false)
{
    // The small controls were laid out for a narrow sans serif; Liberation Sans keeps its widths.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int left)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(left, 8);
    l->adjustSize();
    return l;
}

QComboBox *comboBox(QWidget *parent, const char *name, const QStringList &items, QRect geometry)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    box->setMaxVisibleItems(10);
    box->setFont(sansSerif(13));
    box->setGeometry(geometry);
    return box;
}

// The canvas's font sizes follow the screen's resolution, as the sheet on screen does.
qreal screenDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

// The composition draws on the page the engine is recording.
class EngineSink : public PageSink
{
public:
    explicit EngineSink(TPrintPreview &engine)
        : m_engine(engine)
    {}
    QPainter &canvas() override { return *m_engine.PageCanvas(); }
    void newPage() override { m_engine.NewPage(); }

private:
    TPrintPreview &m_engine;
};

// Composes every page but keeps only the listed ones (all when the list is empty): the others are
// drawn on a page that is thrown away, so page numbers and totals stay those of the whole document.
class ListedPagesSink : public PageSink
{
public:
    ListedPagesSink(TPrintPreview &engine, const QPageRanges &pages)
        : m_engine(engine)
        , m_pages(pages)
    {}
    QPainter &canvas() override
    {
        if (listed())
            return *m_engine.PageCanvas();
        if (!m_discard) {
            m_discard = std::make_unique<QPainter>(&m_discarded);
            m_discard->setTransform(m_engine.PageCanvas()->transform());
        }
        return *m_discard;
    }
    void newPage() override
    {
        m_kept = m_kept || listed();
        m_discard.reset();
        ++m_page;
        // The engine's open page is still empty until a listed page has been drawn on it.
        if (listed() && m_kept)
            m_engine.NewPage();
    }

private:
    bool listed() const { return m_pages.isEmpty() || m_pages.contains(m_page); }

    TPrintPreview &m_engine;
    QPageRanges m_pages;
    int m_page = 1;
    bool m_kept = false;
    QPicture m_discarded;
    std::unique_ptr<QPainter> m_discard;
};

// A page number typed above the last page shows the last page instead of being refused.
class TPageSpinBox : public QSpinBox
{
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString &text, int &pos) const override
    {
        bool ok = false;
        if (text.toInt(&ok) > maximum() && ok)
            return QValidator::Intermediate;
        return QSpinBox::validate(text, pos);
    }
    void fixup(QString &text) const override
    {
        bool ok = false;
        if (text.toInt(&ok) > maximum() && ok)
            text = QString::number(maximum());
    }
};

} // namespace

TFormPP::TFormPP(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormPP"));
    setWindowTitle(QStringLiteral("Ansicht"));
    setFont(sansSerif(11));

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(29);

    Button1 = new QPushButton(QStringLiteral("Drucken"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFont(sansSerif(16, true));
    Button1->setGeometry(4, 2, 85, 23);

    Label1 = label(Panel1, "Label1", QStringLiteral("Zoom:"), 100);
    cbZoom = comboBox(Panel1, "cbZoom",
                      {QStringLiteral("Ganze Seite"), QStringLiteral("Seitenbreite"),
                       QStringLiteral("Seitenhohe"), QStringLiteral("25%"), QStringLiteral("50%"),
                       QStringLiteral("75%"), QStringLiteral("100%"), QStringLiteral("200%")},
                      QRect(131, 2, 98, 23));
    Label2 = label(Panel1, "Label2", QStringLiteral("Urkunde:"), 235);
    sePage = new TPageSpinBox(Panel1);
    sePage->setObjectName(QStringLiteral("sePage"));
    sePage->setFont(sansSerif(13));
    sePage->setRange(1, 1);
    sePage->setGeometry(281, 1, 43, 25);
    Label3 = label(Panel1, "Label3", QStringLiteral("Format:"), 336);
    cbOri =
        comboBox(Panel1, "cbOri", {QStringLiteral("Hoch"), QStringLiteral("Quer")}, QRect(373, 2, 61, 23));
    Label4 = label(Panel1, "Label4", QStringLiteral("Papier:"), 440);
    Label4->hide();
    cbPapir =
        comboBox(Panel1, "cbPapir", {QStringLiteral("A4"), QStringLiteral("A3")}, QRect(474, 2, 47, 23));
    cbPapir->hide();
    // What the last "Drucken" or composition came to: printed, failed, or why nothing was printed.
    lbStatus = label(Panel1, "lbStatus", QString(), 445);
    lbStatus->setTextFormat(Qt::PlainText);
    lbStatus->setWordWrap(true);
    lbStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lbStatus->setGeometry(445, 1, 0, 27); // room for two lines

    PrintPreview1 = new TPrintPreview(&sharedPrinter(), this);
    PrintPreview1->setObjectName(QStringLiteral("PrintPreview1"));
    PrintPreview1->setFrameShape(QFrame::NoFrame);
    QFont engineFont(QStringLiteral("Arial"));
    engineFont.setPixelSize(PrintPreview1->Font().pixelSize() > 0 ? PrintPreview1->Font().pixelSize() : 200);
    PrintPreview1->setFont(engineFont);
    PrintPreview1->setUnits(mmLoMetric);
    PrintPreview1->setMarginLeft(160);
    PrintPreview1->setMarginRight(60);
    PrintPreview1->setMarginTop(60);
    PrintPreview1->setMarginBottom(60);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(PrintPreview1, 1);

    connect(Button1, &QPushButton::clicked, this, &TFormPP::Button1Click);
    connect(cbZoom, &QComboBox::activated, this, &TFormPP::cbZoomChange);
    connect(sePage, &QSpinBox::valueChanged, this, &TFormPP::sePageChange);
    connect(cbOri, &QComboBox::activated, this, &TFormPP::cbOriChange);
    connect(cbPapir, &QComboBox::activated, this, &TFormPP::cbPapirChange);
    connect(PrintPreview1, &TPrintPreview::pagePrinted, this, &TFormPP::showPrintProgress);
    // The page keys turn the pages too.
    connect(PrintPreview1, &TPrintPreview::currentPageChanged, sePage, &QSpinBox::setValue);
    FormCreate();
}

// The middle half of the screen, over the whole working height.
void TFormPP::FormCreate()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect work = screen->availableGeometry();
    const int screenWidth = screen->geometry().width();
    resize(screenWidth / 2, work.height());
    move(screenWidth / 4, work.top());
}

// The working height is meant with the title bar: once the window manager has framed the window
// (its frame is known when it moves into place), the bottom stays on the screen.
void TFormPP::keepOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int frame = frameGeometry().height() - height();
    if (!screen || frame <= 0)
        return;
    const QRect work = screen->availableGeometry();
    if (frameGeometry().bottom() > work.bottom())
        resize(width(), qMax(minimumHeight(), work.bottom() - frameGeometry().top() - frame + 1));
}

void TFormPP::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    keepOnScreen();
}

void TFormPP::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeStatus();
}

void TFormPP::setDocumentMode(int mode)
{
    PrintPreview1->setTag(mode);
}

int TFormPP::documentMode() const
{
    return PrintPreview1->Tag();
}

void TFormPP::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    keepOnScreen();
    if (!event->spontaneous())
        ComposeDocument();
}

void TFormPP::ComposeDocument()
{
    TPrintPreview &engine = *PrintPreview1;
    // The pages of a running job stay as they are until it ends.
    if (engine.PreviewState() != psIdle)
        return;
    setStatus(QString()); // it spoke of the pages before
    QString failure;
    try {
        composePages(m_source ? m_source() : PrintSource());
    } catch (const EPageStoreFailed &) {
        failure = QStringLiteral("Die Seiten können nicht zwischengespeichert werden.");
        if (engine.UseTempFile())
            failure += QStringLiteral(" Ist der Ordner %1 voll oder schreibgeschützt?")
                           .arg(QDir::toNativeSeparators(QDir::tempPath()));
    } catch (const std::exception &) { // no memory for a page or its recording
        failure = QStringLiteral("Für eine neue Seite reicht der Speicher nicht.");
    }
    if (!failure.isEmpty()) {
        engine.ClearPages();
        failure.prepend(QStringLiteral("Keine Vorschau: "));
    }

    {
        const QSignalBlocker blocker(sePage);
        sePage->setRange(1, qMax(1, engine.PageCount()));
        sePage->setValue(1);
        sePage->setEnabled(engine.PageCount() > 1);
        engine.setCurrentPage(1);
    }
    if (!failure.isEmpty()) {
        setStatus(failure);
        MessageBox::critical(this, applicationTitle(), failure);
    }
}

void TFormPP::composePages(const PrintSource &source)
{
    TPrintPreview &engine = *PrintPreview1;
    if (engine.canPrint()) {
        const QPrinter &printer = *engine.printer();
        engine.setOrientation(printer.pageLayout().orientation() == QPageLayout::Landscape ? poLandscape
                                                                                           : poPortrait);
        const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
        engine.setPaperWidth(printable.width() * 254 / printer.logicalDpiX());
        engine.setPaperHeight(printable.height() * 254 / printer.logicalDpiY());
    } else {
        // Without any printer the page is A4 as printed to a file.
        const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
        const bool landscape = engine.Orientation() == poLandscape;
        engine.setPaperWidth(qRound((landscape ? a4.height() : a4.width()) * 10));
        engine.setPaperHeight(qRound((landscape ? a4.width() : a4.height()) * 10));
    }
    engine.setPaperType(pCustom);
    const QRect r = engine.MarginRect();
    if (!engine.BeginDocument())
        return;
    if (documentMode() == 0) {
        ListedPagesSink sink(engine, source.pages);
        ProtocolComposer composer(sink, r, screenDpi());
        composer.ComposeProtocol({source.table, source.protocolName, source.dateCaption});
    } else if (source.certLayout) {
        EngineSink sink(engine);
        ComposeCertificates(sink, *source.certLayout,
                            {source.table, source.protocolName, QDate::currentDate(), source.fromPage,
                             source.toPage, source.pages},
                            screenDpi());
    }
    engine.EndDocument();
}

void TFormPP::Button1Click()
{
    setStatus(QString());
    TPrintPreview &engine = *PrintPreview1;
    const QString file = engine.printer()->outputFileName();
    const bool overwrites = !file.isEmpty() && engine.PageCount() > 0 && engine.PreviewState() == psIdle &&
                            QFileInfo::exists(file);
    if (overwrites && file != m_confirmedFile && !confirmOverwrite(file)) {
        setStatus(
            QStringLiteral("Nicht gedruckt: %1 bleibt, wie sie war.").arg(QDir::toNativeSeparators(file)));
        return;
    }
    m_confirmedFile.clear(); // once written, the file is asked about again
    const int pages = engine.PageCount();
    const PrintResult result = engine.PrintAll();
    reportPrintResult(result, pages);
}

bool TFormPP::confirmOverwrite(const QString &file)
{
    return MessageBox::question(
        this, applicationTitle(),
        QStringLiteral("Die Datei %1 gibt es schon.\nÜberschreiben?").arg(QDir::toNativeSeparators(file)));
}

void TFormPP::setStatus(const QString &text)
{
    m_statusText = text;
    placeStatus();
}

// From beside the page controls to the window's edge, in two lines at most. A text still too long
// loses its middle, so that the outcome at its start and the page count at its end stay readable;
// the whole text is then the tip.
void TFormPP::placeStatus()
{
    const int width = qMax(0, this->width() - lbStatus->x() - 4);
    lbStatus->resize(width, lbStatus->height());
    const QFontMetrics metrics = lbStatus->fontMetrics();
    const auto fits = [&](const QString &text) {
        const QRect needed = metrics.boundingRect(QRect(0, 0, width, 1000), Qt::TextWordWrap, text);
        return needed.width() <= width && needed.height() <= lbStatus->height();
    };
    QString shown = m_statusText;
    for (int room = 2 * width; !fits(shown) && room > 0; room -= metrics.averageCharWidth())
        shown = metrics.elidedText(m_statusText, Qt::ElideMiddle, room);
    lbStatus->setText(shown);
    lbStatus->setToolTip(shown == m_statusText ? QString() : m_statusText);
}

void TFormPP::showPrintProgress(int page, int count)
{
    if (count <= QuietJobPages)
        return;
    if (!m_progress) {
        m_progress =
            new QProgressDialog(QStringLiteral("Drucken …"), QStringLiteral("Abbrechen"), 0, count, this);
        m_progress->setObjectName(QStringLiteral("PrintProgress"));
        m_progress->setWindowTitle(QStringLiteral("Drucken"));
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setMinimumDuration(0);
        connect(m_progress, &QProgressDialog::canceled, PrintPreview1, &TPrintPreview::abortPrint);
    }
    m_progress->setMaximum(count);
    m_progress->setValue(page);
}

void TFormPP::reportPrintResult(PrintResult result, int pages)
{
    if (m_progress) {
        m_progress->deleteLater();
        m_progress = nullptr;
    }
    const QString file = QDir::toNativeSeparators(PrintPreview1->printer()->outputFileName());
    QString text;
    switch (result) {
    case prPrinted:
        text = file.isEmpty() ? QStringLiteral("Gedruckt: %1 Seite(n).").arg(pages)
                              : QStringLiteral("Gedruckt in %1 (%2 Seite(n)).").arg(file).arg(pages);
        break;
    case prNoPrinter:
        text = QStringLiteral("Kein Drucker eingerichtet: im Druckdialog \u201EIn Datei drucken\u201C "
                              "wählen, um ein PDF zu erhalten.");
        break;
    case prAborted: text = QStringLiteral("Drucken abgebrochen: nichts wurde gedruckt."); break;
    case prFailed: text = QStringLiteral("Drucken fehlgeschlagen: nichts wurde gedruckt."); break;
    case prNothingToPrint: text = QStringLiteral("Keine Seite zu drucken."); break;
    case prBusy: text = QStringLiteral("Es wird schon gedruckt."); break;
    }
    setStatus(text);
}

void TFormPP::cbZoomChange(int index)
{
    switch (index) {
    case 0: PrintPreview1->setZoomState(zsZoomToFit); break;
    case 1: PrintPreview1->setZoomState(zsZoomToWidth); break;
    case 2: PrintPreview1->setZoomState(zsZoomToHeight); break;
    default: {
        QString text = cbZoom->itemText(index);
        text.chop(1);
        PrintPreview1->setZoom(text.toInt());
    }
    }
}

void TFormPP::sePageChange(int value)
{
    PrintPreview1->setCurrentPage(value);
}

void TFormPP::cbOriChange(int index)
{
    PrintPreview1->setOrientation(index == 1 ? poLandscape : poPortrait);
    ComposeDocument();
}

void TFormPP::cbPapirChange(int index)
{
    PrintPreview1->setPaperType(index == 1 ? pA3 : pA4);
    ComposeDocument();
}
