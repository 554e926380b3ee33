#include "HeldReadings.h"

#include "AnswerShape.h"
#include "ControlSession.h"
#include "TK28950Dispids.h"

#include <QScopeGuard>

HeldReadings::HeldReadings(ControlSession& session)
    : m_session(session), m_timesOutOfStep(session.timesFoundOutOfStep())
{
}

bool HeldReadings::stayedInStep()
{
    const qint64 times = m_session.timesFoundOutOfStep();
    return std::exchange(m_timesOutOfStep, times) == times;
}

void HeldReadings::add(Row row)
{
    m_rows.append(std::move(row));
    if (stayedInStep())
        return;
    m_letGo += m_rows.size();
    m_rows.clear();
}

QList<HeldReadings::Row> HeldReadings::release()
{
    QList<Row> rows = std::exchange(m_rows, {});
    if (rows.isEmpty())
        return rows;
    auto letGo = qScopeGuard([&] { m_letGo += rows.size(); });
    const Expectation version{AnswerEvent::DataReady, AnswerShape::isVersion,
                              QStringLiteral("the module's version")};
    m_session.request(tk28950::dispid::Version, {}, QStringLiteral("version"), version);
    if (!stayedInStep())
        return {};
    letGo.dismiss();
    return rows;
}
