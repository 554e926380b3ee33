// The control's face checked on pixels, its About box and its property page.
#include "ControlHost.h"
#include "Simulator.h"
#include "TK28950Dispids.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>

namespace id = tk28950::dispid;

namespace {

const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kAmbient(255, 255, 224);

// The control's widget, with a small font of fixed size.
QWidget* face(ControlHost& host)
{
    QWidget* widget = host.object()->widget(nullptr);
    QFont font = widget->font();
    font.setPixelSize(8);
    widget->setFont(font);
    return widget;
}

QImage render(ControlHost& host, int width, int height)
{
    QWidget* face = ::face(host);
    face->resize(width, height);
    QImage image(face->size(), QImage::Format_RGB32);
    face->render(&image);
    return image;
}

QColor pixel(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

// The first row at or below `from`, in column x, that shows the box fill:
// where the text's background ends.
int firstFillRow(const QImage& image, int x, const QColor& fill, int from = 0)
{
    for (int y = from; y < image.height(); ++y)
        if (pixel(image, x, y) == fill)
            return y;
    return -1;
}

QFontMetrics metricsOf(ControlHost& host)
{
    return QFontMetrics(face(host)->font());
}

} // namespace

TEST(Drawing, BoxIsBlueUntilInitModuleSucceedsThenGreen)
{
    ControlHost host;
    host.ambient = kAmbient;
    EXPECT_EQ(pixel(render(host, 120, 40), 110, 35), kBlue);

    qputenv("TK28950_PORT_9", "/nonexistent/tty");
    EXPECT_EQ(host.call(id::InitModule, {"9"}).text(), "Port already open");
    EXPECT_EQ(pixel(render(host, 120, 40), 110, 35), kBlue);

    Simulator sim;
    ASSERT_TRUE(sim.start()) << qPrintable(sim.error());
    ASSERT_EQ(host.open(sim, 9), "TK28950 Ready");
    const QImage ready = render(host, 120, 40);
    EXPECT_EQ(pixel(ready, 110, 35), kGreen);
    EXPECT_NE(pixel(ready, 119, 39), kGreen) << "the outline is drawn inside the bounds";
}

// The name's top-left corner is at the left edge and half the height less
// ten pixels: y = 0 for a 20 pixel high control, y = -5 for a 10 pixel one.
// The name is written on the host's ambient colour.
TEST(Drawing, NameSitsAtHalfTheHeightLessTen)
{
    ControlHost host;
    host.ambient = kAmbient;
    const int text = metricsOf(host).height();
    const QImage tall = render(host, 120, 40);
    EXPECT_EQ(pixel(tall, 2, 9), kBlue);
    EXPECT_EQ(pixel(tall, 2, 10 + text - 1), kAmbient);
    EXPECT_EQ(firstFillRow(tall, 2, kBlue, 10), 10 + text);

    const QImage twenty = render(host, 120, 20);
    EXPECT_EQ(pixel(twenty, 2, text - 1), kAmbient);
    EXPECT_EQ(firstFillRow(twenty, 2, kBlue), text);

    const QImage ten = render(host, 120, 10);
    EXPECT_EQ(firstFillRow(ten, 2, kBlue), text - 5);

    // The text's background ends where the name ends; a new name is drawn
    // at once.
    const QFontMetrics metrics = metricsOf(host);
    const int pastName = metrics.horizontalAdvance("TK28950") + 3;
    EXPECT_EQ(pixel(twenty, pastName, text - 1), kBlue);
    host.put(id::ModuleName, "A much longer name");
    EXPECT_EQ(pixel(render(host, 120, 20), pastName, text - 1), kAmbient);
}

TEST(Drawing, TimeOutMarkCoversTheNameUntilTheNextInitModule)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({"--silent"})) << qPrintable(sim.error());
    ControlHost host;
    host.ambient = kAmbient;
    ASSERT_EQ(host.open(sim, 1), "TK28950 Ready");
    const int text = metricsOf(host).height();
    const QFontMetrics metrics = metricsOf(host);
    const int pastName = metrics.horizontalAdvance("TK28950") + 2;
    ASSERT_LT(pastName, metrics.horizontalAdvance("Init Module") - 2);
    EXPECT_EQ(pixel(render(host, 160, 20), pastName, text - 1), kGreen);

    EXPECT_EQ(host.get(id::GainX).text(), "");
    const QImage timedOut = render(host, 160, 20);
    EXPECT_EQ(pixel(timedOut, pastName, text - 1), kAmbient);
    EXPECT_EQ(pixel(timedOut, 150, 15), kGreen);

    EXPECT_EQ(host.call(id::InitModule, {"1"}).text(), "OCX already initialized");
    EXPECT_EQ(pixel(render(host, 160, 20), pastName, text - 1), kGreen);
}

TEST(Drawing, WithoutAmbientColourTheTextStandsOnThePalette)
{
    ControlHost host;
    const QImage image = render(host, 120, 20);
    const QColor window = host.object()->widget(nullptr)->palette().color(QPalette::Window);
    EXPECT_EQ(pixel(image, 2, metricsOf(host).height() - 1), window);
}

TEST(Drawing, AboutBoxShowsNameVersionAndDescription)
{
    ControlHost host;
    QStringList texts;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        for (const QLabel* label : box->findChildren<QLabel*>())
            texts << label->text();
        box->close();
    });
    EXPECT_EQ(host.call(id::AboutBox).hr, component::kOk);
    EXPECT_TRUE(texts.contains("TK28950 Control")) << qPrintable(texts.join('|'));
    EXPECT_TRUE(texts.contains("Version 1.2.0.1")) << qPrintable(texts.join('|'));
    EXPECT_TRUE(texts.contains("Interface to TK28950")) << qPrintable(texts.join('|'));
}

// Receives the URLs the desktop is asked to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

TEST(Drawing, PropertyPageLayoutAndHelp)
{
    ControlHost page(QStringLiteral("TK28950.TK28950PropPage.1"));
    ASSERT_TRUE(page.created()) << qPrintable(page.createError());
    QWidget* face = page.object()->widget(nullptr);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->windowTitle(), "TK28950");
    EXPECT_EQ(face->size(), QSize(375, 100));
    QLabel* note = face->findChild<QLabel*>();
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), "TODO: Working on it.");
    EXPECT_EQ(note->geometry(), QRect(10, 40, 115, 26));
    QPushButton* help = face->findChild<QPushButton*>();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->text(), "Help");
    EXPECT_EQ(help->property("controlId").toInt(), 201);
    EXPECT_EQ(help->geometry(), QRect(289, 63, 64, 26));

    component::DispId dispid = 0;
    EXPECT_EQ(page.object()->idOfName("GainX", &dispid), component::kUnknownName);

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    help->click();
    QDir::setCurrent(previous);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls.first().toLocalFile(), QDir(dir.path()).filePath("tk28950.chm"));
}

#include "DrawingTest.moc"
