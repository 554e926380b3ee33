#pragma once
// The live view: X and Y against time in a strip chart, a bubble level, the
// temperature, and per axis the statistics of the window shown; connect,
// zero, pause, record to CSV and save the picture.
#include "LiveOptions.h"
#include "ReadingLoop.h"
#include "Recorder.h"
#include "SampleStore.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointF>
#include <QTimer>

#include <optional>

class BubbleLevel;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QToolBar;
class QValueAxis;

class LiveWindow : public QMainWindow {
    Q_OBJECT
public:
    // Points drawn per axis at most; the statistics use every sample.
    static constexpr int kMaxPlotPoints = 500;
    static constexpr int kRefreshMs = 250;
    static constexpr int kSlowestChartRefreshMs = 1000;
    static constexpr int kChartColumns = 600;

    explicit LiveWindow(const LiveOptions& options, QWidget* parent = nullptr);
    ~LiveWindow() override;

    // Opens the chosen port and starts reading; false (with the reason
    // told) when it cannot.
    bool connectModule();
    void disconnectModule();
    bool isConnected() const { return m_loop.isOpen(); }

    QString startRecording(const QString& path, bool withTemperature);
    void stopRecording();
    const Recorder& recorder() const { return m_recorder; }

    // The readings relative to their mean over the window now (true), or
    // absolute again.
    void setZeroed(bool zeroed);
    void setPaused(bool paused);
    void setWindowSeconds(int seconds);
    void setIntervalMs(int intervalMs);

    // Saves the window as it looks now; the reason when it cannot.
    QString saveSnapshot(const QString& path);
    // Brings chart, level and statistics up to date at once.
    void refresh();

    const SampleStore& samples() const { return m_store; }
    std::optional<QPointF> reference() const { return m_reference; }
    double readingsPerSecond() const;
    // Answers that came but were not readings, so were neither drawn nor
    // recorded.
    qint64 answersNotTaken() const { return m_answersNotTaken; }
    // Everything the view told the operator, oldest first.
    const QStringList& told() const { return m_told; }

Q_SIGNALS:
    void lostDevice(const QString& reason);

private:
    QToolBar* makeControls();
    QWidget* makeChart();
    QWidget* makeSidePanel();
    void fillPorts();
    void tell(const QString& text);
    void take(qint64 timeMs, const QString& x, const QString& y);
    void onLost(const QString& reason);
    void updateButtons();
    void tick();
    void refreshLevelAndRate();
    void refreshChart();
    void refreshStatistics();
    qint64 windowMs() const { return qint64(m_windowS) * 1000; }

    LiveOptions m_options;
    ReadingLoop m_loop;
    SampleStore m_store;
    Recorder m_recorder;
    QElapsedTimer m_viewClock;
    QElapsedTimer m_chartRefreshed;
    qint64 m_openedAtMs = 0;
    QString m_temperature;
    std::optional<QPointF> m_reference;
    int m_windowS;
    bool m_paused = false;
    qint64 m_answersNotTaken = 0;
    QStringList m_told;
    QTimer m_refresh;

    QComboBox* m_ports = nullptr;
    QPushButton* m_connect = nullptr;
    QComboBox* m_window = nullptr;
    QSpinBox* m_interval = nullptr;
    QPushButton* m_zero = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_record = nullptr;
    QChart* m_chart = nullptr;
    QLineSeries* m_xSeries = nullptr;
    QLineSeries* m_ySeries = nullptr;
    QValueAxis* m_timeAxis = nullptr;
    QValueAxis* m_valueAxis = nullptr;
    BubbleLevel* m_level = nullptr;
    QLabel* m_temperatureLabel = nullptr;
    QLabel* m_rate = nullptr;
    QLabel* m_state = nullptr;
    QTableWidget* m_statistics = nullptr;
};
