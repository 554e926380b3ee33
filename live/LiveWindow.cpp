#include "LiveWindow.h"

#include "BubbleLevel.h"
#include "ControlError.h"
#include "SerialPorts.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace {

constexpr qint64 kRateOverMs = 2000;

struct StatisticRow {
    const char* name;
    double (*value)(const AxisStatistics&, double reference);
};

// The rows of the statistics table; mean, minimum and maximum follow the
// zero reference, spreads do not depend on it.
const StatisticRow kStatisticRows[] = {
    {"mean", [](const AxisStatistics& s, double r) { return s.mean - r; }},
    {"std. deviation", [](const AxisStatistics& s, double) { return s.standardDeviation; }},
    {"minimum", [](const AxisStatistics& s, double r) { return s.minimum - r; }},
    {"maximum", [](const AxisStatistics& s, double r) { return s.maximum - r; }},
    {"peak to peak", [](const AxisStatistics& s, double) { return s.peakToPeak(); }},
};
constexpr int kSamplesRow = int(std::size(kStatisticRows));

QString windowName(int seconds)
{
    return seconds < 60 ? QObject::tr("%1 s").arg(seconds)
                        : QObject::tr("%1 min").arg(seconds / 60);
}

} // namespace

LiveWindow::LiveWindow(const LiveOptions& options, QWidget* parent)
    : QMainWindow(parent), m_options(options), m_windowS(options.windowS)
{
    setWindowTitle(tr("TK28950 live view"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("tk28950-live")));
    addToolBar(Qt::TopToolBarArea, makeControls());
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->addWidget(makeChart(), 1);
    layout->addWidget(makeSidePanel());
    setCentralWidget(central);
    m_state = new QLabel(tr("Not connected"), this);
    m_state->setObjectName(QStringLiteral("state"));
    m_rate = new QLabel(this);
    m_rate->setObjectName(QStringLiteral("rate"));
    statusBar()->addWidget(m_state, 1);
    statusBar()->addPermanentWidget(m_rate);
    resize(1120, 600);

    connect(&m_loop, &ReadingLoop::reading, this, &LiveWindow::take);
    connect(&m_loop, &ReadingLoop::temperature, this, [this](const QString& degrees) {
        m_temperature = degrees;
        m_temperatureLabel->setText(tr("%1 °C").arg(degrees));
    });
    connect(&m_loop, &ReadingLoop::lost, this, &LiveWindow::onLost);
    connect(&m_loop, &ReadingLoop::rejected, this, [this](const QString& reason) {
        ++m_answersNotTaken;
        m_rate->setToolTip(tr("Last answer not taken: %1").arg(reason));
    });
    connect(&m_refresh, &QTimer::timeout, this, &LiveWindow::tick);
    m_refresh.start(kRefreshMs);
    m_viewClock.start();
    updateButtons();
}

LiveWindow::~LiveWindow()
{
    m_loop.close();
    m_recorder.close();
}

QToolBar* LiveWindow::makeControls()
{
    auto* bar = new QToolBar(tr("Controls"), this);
    bar->setMovable(false);
    m_ports = new QComboBox(bar);
    m_ports->setObjectName(QStringLiteral("ports"));
    m_ports->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_ports->setMinimumContentsLength(24);
    fillPorts();
    m_connect = new QPushButton(bar);
    m_connect->setObjectName(QStringLiteral("connect"));
    connect(m_connect, &QPushButton::clicked, this,
            [this] { isConnected() ? disconnectModule() : void(connectModule()); });
    m_window = new QComboBox(bar);
    m_window->setObjectName(QStringLiteral("window"));
    for (const int seconds : kWindowChoicesS)
        m_window->addItem(windowName(seconds), seconds);
    m_window->setCurrentIndex(m_window->findData(m_windowS));
    connect(m_window, &QComboBox::activated, this,
            [this] { setWindowSeconds(m_window->currentData().toInt()); });
    m_interval = new QSpinBox(bar);
    m_interval->setObjectName(QStringLiteral("interval"));
    m_interval->setRange(0, 3600000);
    m_interval->setSuffix(tr(" ms"));
    m_interval->setSpecialValueText(tr("as fast as the line allows"));
    m_interval->setValue(m_options.intervalMs);
    connect(m_interval, &QSpinBox::valueChanged, this, &LiveWindow::setIntervalMs);
    m_zero = new QPushButton(tr("Zero"), bar);
    m_zero->setObjectName(QStringLiteral("zero"));
    m_zero->setCheckable(true);
    m_zero->setToolTip(tr("Show the readings relative to their mean now; again for absolute"));
    connect(m_zero, &QPushButton::toggled, this, &LiveWindow::setZeroed);
    m_pause = new QPushButton(tr("Pause"), bar);
    m_pause->setObjectName(QStringLiteral("pause"));
    m_pause->setCheckable(true);
    connect(m_pause, &QPushButton::toggled, this, &LiveWindow::setPaused);
    m_record = new QPushButton(tr("Record…"), bar);
    m_record->setObjectName(QStringLiteral("record"));
    m_record->setCheckable(true);
    connect(m_record, &QPushButton::clicked, this, [this](bool on) {
        if (!on)
            return stopRecording();
        const QString path =
            QFileDialog::getSaveFileName(this, tr("Record to"), {}, tr("CSV files (*.csv)"));
        const QString failure = path.isEmpty() ? QString() : startRecording(path, true);
        if (!failure.isEmpty())
            tell(failure);
        updateButtons();
    });
    auto* save = new QPushButton(tr("Save picture…"), bar);
    save->setObjectName(QStringLiteral("savePicture"));
    connect(save, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getSaveFileName(this, tr("Save picture"), {}, tr("PNG pictures (*.png)"));
        const QString failure = path.isEmpty() ? QString() : saveSnapshot(path);
        if (!failure.isEmpty())
            tell(failure);
    });
    bar->addWidget(m_ports);
    bar->addWidget(m_connect);
    bar->addSeparator();
    bar->addWidget(new QLabel(tr(" Window "), bar));
    bar->addWidget(m_window);
    bar->addWidget(new QLabel(tr(" Interval "), bar));
    bar->addWidget(m_interval);
    bar->addSeparator();
    for (QWidget* button : {static_cast<QWidget*>(m_zero), static_cast<QWidget*>(m_pause),
                            static_cast<QWidget*>(m_record), static_cast<QWidget*>(save)})
        bar->addWidget(button);
    return bar;
}

// The ports as the tool's port listing shows them, and the one named on
// the command line first.
void LiveWindow::fillPorts()
{
    if (!m_options.device.isEmpty())
        m_ports->addItem(m_options.device, m_options.device);
    else if (m_options.port != 0)
        m_ports->addItem(tr("port %1").arg(m_options.port), m_options.port);
    const QList<SerialPorts::Port> ports = SerialPorts::survey();
    for (const SerialPorts::Port& port : ports)
        if (port.device != m_options.device)
            m_ports->addItem(SerialPorts::describe(port), port.device);
}

QWidget* LiveWindow::makeChart()
{
    m_chart = new QChart;
    m_xSeries = new QLineSeries(m_chart);
    m_xSeries->setObjectName(QStringLiteral("xSeries"));
    m_xSeries->setName(tr("X"));
    m_ySeries = new QLineSeries(m_chart);
    m_ySeries->setObjectName(QStringLiteral("ySeries"));
    m_ySeries->setName(tr("Y"));
    m_timeAxis = new QValueAxis(m_chart);
    m_timeAxis->setTitleText(tr("time (s)"));
    // Ticks on whole fifths of the window, so that they stay put while the
    // readings move past them.
    m_timeAxis->setTickType(QValueAxis::TicksDynamic);
    m_timeAxis->setTickAnchor(0);
    m_timeAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_valueAxis = new QValueAxis(m_chart);
    m_valueAxis->setTitleText(tr("degrees"));
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);
    for (QLineSeries* series : {m_xSeries, m_ySeries}) {
        m_chart->addSeries(series);
        series->attachAxis(m_timeAxis);
        series->attachAxis(m_valueAxis);
    }
    m_chart->legend()->setAlignment(Qt::AlignTop);
    m_timeAxis->setTickInterval(m_windowS / 5.0);
    auto* view = new QChartView(m_chart, this);
    view->setObjectName(QStringLiteral("chart"));
    view->setMinimumSize(480, 320);
    return view;
}

QWidget* LiveWindow::makeSidePanel()
{
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    m_level = new BubbleLevel(panel);
    m_level->setObjectName(QStringLiteral("level"));
    m_temperatureLabel = new QLabel(tr("– °C"), panel);
    m_temperatureLabel->setObjectName(QStringLiteral("temperature"));
    m_temperatureLabel->setAlignment(Qt::AlignCenter);
    QFont large = m_temperatureLabel->font();
    large.setPointSizeF(large.pointSizeF() * 1.4);
    m_temperatureLabel->setFont(large);
    m_statistics = new QTableWidget(kSamplesRow + 1, 2, panel);
    m_statistics->setObjectName(QStringLiteral("statistics"));
    m_statistics->setHorizontalHeaderLabels({tr("X (°)"), tr("Y (°)")});
    QStringList rows;
    for (const StatisticRow& row : kStatisticRows)
        rows << tr(row.name);
    m_statistics->setVerticalHeaderLabels(rows << tr("samples"));
    m_statistics->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_statistics->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_statistics->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_statistics->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int row = 0; row <= kSamplesRow; ++row)
        for (int column = 0; column < 2; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_statistics->setItem(row, column, item);
        }
    m_statistics->setFixedHeight(m_statistics->horizontalHeader()->sizeHint().height() +
                                 (kSamplesRow + 1) *
                                     m_statistics->verticalHeader()->defaultSectionSize() +
                                 2 * m_statistics->frameWidth());
    layout->addWidget(m_level, 1);
    layout->addWidget(m_temperatureLabel);
    layout->addWidget(m_statistics);
    panel->setFixedWidth(300);
    return panel;
}

bool LiveWindow::connectModule()
{
    const QVariant choice = m_ports->currentData();
    const QString device = choice.typeId() == QMetaType::QString ? choice.toString() : QString();
    const int port = device.isEmpty() ? choice.toInt() : 0;
    if (device.isEmpty() && port == 0) {
        tell(tr("No serial port to connect to"));
        return false;
    }
    try {
        const QString version = m_loop.open(device, port);
        m_openedAtMs = m_viewClock.elapsed();
        m_state->setText(tr("Connected to %1 on %2").arg(version, m_ports->currentText()));
        if (!m_paused)
            m_loop.start(m_interval->value());
        updateButtons();
        return true;
    } catch (const ControlError& error) {
        tell(error.message());
        updateButtons();
        return false;
    }
}

void LiveWindow::disconnectModule()
{
    m_loop.close();
    m_state->setText(tr("Disconnected"));
    updateButtons();
}

QString LiveWindow::startRecording(const QString& path, bool withTemperature)
{
    const QString failure = m_recorder.open(path, withTemperature);
    updateButtons();
    return failure;
}

void LiveWindow::stopRecording()
{
    m_recorder.close();
    updateButtons();
}

void LiveWindow::setZeroed(bool zeroed)
{
    if (zeroed && !m_store.isEmpty())
        m_reference = QPointF(m_store.statistics(Axis::X, windowMs()).mean,
                              m_store.statistics(Axis::Y, windowMs()).mean);
    else
        m_reference.reset();
    updateButtons();
    refresh();
}

void LiveWindow::setPaused(bool paused)
{
    m_paused = paused;
    if (paused)
        m_loop.stop();
    else
        m_loop.start(m_interval->value());
    updateButtons();
}

void LiveWindow::setWindowSeconds(int seconds)
{
    m_windowS = seconds;
    m_timeAxis->setTickInterval(seconds / 5.0);
    m_window->setCurrentIndex(m_window->findData(seconds));
    refresh();
}

void LiveWindow::setIntervalMs(int intervalMs)
{
    m_interval->setValue(intervalMs);
    m_loop.setIntervalMs(intervalMs);
}

QString LiveWindow::saveSnapshot(const QString& path)
{
    refresh();
    if (grab().save(path, "PNG"))
        return {};
    return tr("cannot save the picture to %1").arg(path);
}

double LiveWindow::readingsPerSecond() const
{
    return m_store.rate(kRateOverMs);
}

void LiveWindow::tell(const QString& text)
{
    m_told << text;
    m_state->setText(text);
}

// Every reading is recorded as the module sent it; the store keeps it as a
// number for the chart and the statistics.
void LiveWindow::take(qint64 timeMs, const QString& x, const QString& y)
{
    const qint64 viewTimeMs = m_openedAtMs + timeMs;
    m_store.add({viewTimeMs, x.toDouble(), y.toDouble()});
    const QString failure = m_recorder.add(viewTimeMs, x, y, m_temperature);
    if (!failure.isEmpty()) {
        tell(failure);
        updateButtons();
    }
}

void LiveWindow::onLost(const QString& reason)
{
    QString text = tr("Lost the module: %1.").arg(reason);
    if (m_recorder.isOpen())
        text += tr(" The %1 rows recorded are kept in %2.")
                    .arg(m_recorder.rows())
                    .arg(m_recorder.path());
    tell(text + tr(" Press Connect to reconnect."));
    updateButtons();
    Q_EMIT lostDevice(reason);
}

void LiveWindow::updateButtons()
{
    const bool connected = isConnected();
    m_connect->setText(connected ? tr("Disconnect") : tr("Connect"));
    m_ports->setEnabled(!connected);
    m_record->setChecked(m_recorder.isOpen());
    m_record->setText(m_recorder.isOpen() ? tr("Stop recording") : tr("Record…"));
    m_zero->setChecked(m_reference.has_value());
    m_pause->setChecked(m_paused);
}

// The level and the rate at every tick; the chart and the statistics about
// once per column of the chart's width, which for the long window is less
// often: a redraw that moves nothing by a pixel costs processor time for
// nothing.
void LiveWindow::tick()
{
    const qint64 chartPeriodMs =
        std::clamp<qint64>(windowMs() / kChartColumns, kRefreshMs, kSlowestChartRefreshMs);
    if (m_chartRefreshed.isValid() && m_chartRefreshed.elapsed() < chartPeriodMs)
        refreshLevelAndRate();
    else
        refresh();
}

void LiveWindow::refresh()
{
    m_chartRefreshed.start();
    refreshChart();
    refreshStatistics();
    refreshLevelAndRate();
}

void LiveWindow::refreshLevelAndRate()
{
    const double rate = readingsPerSecond();
    QString rateText =
        rate > 0 ? tr("%1 readings of X and Y a second").arg(rate, 0, 'f', 1) : QString();
    if (m_answersNotTaken > 0)
        rateText += tr("  (%1 answers not taken)").arg(m_answersNotTaken);
    m_rate->setText(rateText);
    if (m_store.isEmpty()) {
        m_level->setAngles(std::nullopt);
        return;
    }
    const Sample& latest = m_store.latest();
    m_level->setAngles(QPointF(latest.x, latest.y) - m_reference.value_or(QPointF()));
}

// Every change of a series' points or of an axis' range makes the chart
// work out the drawn line of each series again, which costs about as much
// as the points it has. So the series are emptied, the axes set, and only
// then are the new points given: each line is worked out once.
void LiveWindow::refreshChart()
{
    const QPointF reference = m_reference.value_or(QPointF());
    const QList<QPointF> xs = m_store.points(Axis::X, windowMs(), kMaxPlotPoints, reference.x());
    const QList<QPointF> ys = m_store.points(Axis::Y, windowMs(), kMaxPlotPoints, reference.y());
    m_xSeries->clear();
    m_ySeries->clear();
    const double end = m_store.isEmpty() ? m_windowS : m_store.latest().timeMs / 1000.0;
    m_timeAxis->setRange(std::max(0.0, end - m_windowS), std::max(end, double(m_windowS)));
    double low = 0;
    double high = 0;
    bool first = true;
    for (const QList<QPointF>* points : {&xs, &ys})
        for (const QPointF& point : *points) {
            low = first ? point.y() : std::min(low, point.y());
            high = first ? point.y() : std::max(high, point.y());
            first = false;
        }
    const double margin = std::max(0.05, (high - low) * 0.08);
    m_valueAxis->setRange(low - margin, high + margin);
    m_valueAxis->applyNiceNumbers();
    m_xSeries->replace(xs);
    m_ySeries->replace(ys);
}

void LiveWindow::refreshStatistics()
{
    const QPointF reference = m_reference.value_or(QPointF());
    for (int column = 0; column < 2; ++column) {
        const Axis axis = column == 0 ? Axis::X : Axis::Y;
        const AxisStatistics statistics = m_store.statistics(axis, windowMs());
        const double offset = column == 0 ? reference.x() : reference.y();
        for (int row = 0; row < kSamplesRow; ++row)
            m_statistics->item(row, column)
                ->setText(
                    statistics.count == 0
                        ? QString()
                        : QString::number(kStatisticRows[row].value(statistics, offset), 'f', 4));
        m_statistics->item(kSamplesRow, column)->setText(QString::number(statistics.count));
    }
}
