#pragma once

// The drink achievements page as its user reads it, in one line: the title, the amount and the
// reached mark, the two captioned figures, then the chart's values, labels and target or the
// ring's days and percentage. For tests that check what the page shows.

#include <QStringList>

#include "ui/controls.h"
#include "ui/report_line.h"
#include "ui/window_base.h"

namespace achieve_text {

inline QString TextOf(const ui::WindowBase& page, const char* name) {
    const ui::Control* control = page.FindControl(QString::fromLatin1(name));
    return control ? control->Text() : QStringLiteral("<none>");
}

inline bool Shown(const ui::WindowBase& page, const char* name) {
    const ui::Control* control = page.FindControl(QString::fromLatin1(name));
    return control && control->IsVisibleInWindow();
}

inline QString Describe(const ui::WindowBase& page) {
    QStringList out{TextOf(page, "label_current_date"), TextOf(page, "label_current_drink")};
    const bool reached = Shown(page, "label_reach_yet"), missed = Shown(page, "label_reach_not");
    out << (reached == missed ? "reached?" : reached ? "已达标" : "未达标");
    out << TextOf(page, "label_amount_text") + '=' + TextOf(page, "label_amount");
    out << TextOf(page, "label_average_text") + '=' + TextOf(page, "label_average");
    const auto* chart = qobject_cast<const CReportLineUI*>(page.FindControl("report_line"));
    if (chart && Shown(page, "report_line")) {
        QStringList values;
        for (int v : chart->Values()) values << QString::number(v);
        out << "| chart" << values.join(',') << chart->Labels().join(',')
            << "target=" + QString::number(chart->Target());
    } else {
        const auto* ring =
            qobject_cast<const ui::CircleProgress*>(page.FindControl("progress_percent"));
        out << "| ring" << TextOf(page, "label_drink_day") + TextOf(page, "label_total_day")
            << QString::number(ring ? ring->Value() : -1) + '%';
        if (!Shown(page, "container_total")) out << "(hidden)";
    }
    return out.join(' ');
}

}  // namespace achieve_text
