#include "ui/hunt_map_heat.hpp"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QThreadPool>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <mutex>
#include <string>

namespace vantrel::ui {
namespace {

// Long enough to gather the views of a drag or a burst of wheel steps, short enough to feel immediate.
constexpr int kGatherMs = 120;

bool SameBearings(const fox_fix::FoxFix& a, const fox_fix::FoxFix& b) {
    const auto same = [](const locate::Bearing& x, const locate::Bearing& y) {
        return x.x == y.x && x.y == y.y && x.bearingDeg == y.bearingDeg && x.sigmaDeg == y.sigmaDeg;
    };
    return a.ids == b.ids &&
           std::equal(a.bearings.begin(), a.bearings.end(), b.bearings.begin(), b.bearings.end(), same);
}

bool SameOptions(const locate::Options& a, const locate::Options& b) {
    return a.method == b.method && a.tuning == b.tuning && a.sigmaDeg == b.sigmaDeg &&
           a.confidence == b.confidence;
}

}  // namespace

struct HuntMapHeat::Link {
    std::mutex mutex;
    HuntMapHeat* heat = nullptr;  // null once the object is gone
};

struct HuntMapHeat::Result {
    int generation = 0;
    bool stopped = false;
    std::shared_ptr<const hunt_picture::HeatLayer> layer;
    std::string problem;
};

HuntMapHeat::HuntMapHeat(QObject* parent, QMenu* viewMenu, QToolBar* bar)
    : QObject(parent), link_(std::make_shared<Link>()) {
    link_->heat = this;
    mnuHeat = new QAction(QStringLiteral("&Likelihood Map"), this);
    mnuHeat->setObjectName(QStringLiteral("mnuHeat"));
    mnuHeat->setCheckable(true);
    mnuHeat->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    mnuHeat->setToolTip(
        QStringLiteral("Where the chosen fox's bearings put it: the more likely, the redder; the solid line "
                       "holds 50 %, the dashed line 95 % (Ctrl+H)"));
    viewMenu->addAction(mnuHeat);
    bar->addAction(mnuHeat);
    cboHeatFox = new QComboBox(bar);
    cboHeatFox->setObjectName(QStringLiteral("cboHeatFox"));
    cboHeatFox->setToolTip(
        QStringLiteral("The fox of the likelihood map (the first fox with a fix when this "
                       "one has none)"));
    for (int fox = 1; fox <= hunt_log::kFoxCount; ++fox) {
        cboHeatFox->addItem(QStringLiteral("F%1").arg(fox), fox);
    }
    bar->addWidget(cboHeatFox);
    gather_ = new QTimer(this);
    gather_->setSingleShot(true);
    gather_->setInterval(kGatherMs);
    connect(gather_, &QTimer::timeout, this, &HuntMapHeat::Start);
    connect(mnuHeat, &QAction::toggled, this, &HuntMapHeat::Toggled);
    connect(cboHeatFox, &QComboBox::currentIndexChanged, this, [this] {
        if (mnuHeat->isChecked()) {
            gather_->start();
        }
    });
}

HuntMapHeat::~HuntMapHeat() {
    running_.request_stop();
    const std::lock_guard lock(link_->mutex);
    link_->heat = nullptr;
}

void HuntMapHeat::SetFixes(const std::array<fox_fix::FoxFix, hunt_log::kFoxCount>& fixes,
                           const locate::Options& options) {
    // The window rebuilds on every keystroke in the main window: only new bearings or settings count.
    if (SameOptions(options, options_) &&
        std::equal(fixes.begin(), fixes.end(), fixes_.begin(), fixes_.end(), SameBearings)) {
        return;
    }
    fixes_ = fixes;
    options_ = options;
    Changed();
}

void HuntMapHeat::SetView(std::optional<core::PlaneBox> viewBox, int widthPixels, int heightPixels) {
    viewBox_ = viewBox;
    size_ = hunt_picture::HeatGridSizeFor(widthPixels, heightPixels);
    Changed();
}

void HuntMapHeat::Changed() {
    if (mnuHeat->isChecked()) {
        running_.request_stop();  // stale now; its result would be dropped anyway
        ++generation_;
        gather_->start();
    }
}

bool HuntMapHeat::Pending() const {
    return gather_->isActive() || busy_;
}

void HuntMapHeat::Toggled(bool on) {
    if (on) {
        gather_->start();
        return;
    }
    gather_->stop();
    running_.request_stop();
    ++generation_;
    layer_.reset();
    Q_EMIT LayerChanged();
}

int HuntMapHeat::ChosenFox() const {
    const int chosen = cboHeatFox->currentData().toInt();
    if (const auto& outcome = fixes_.at(static_cast<std::size_t>(chosen - 1)).outcome;
        outcome && outcome->fix) {
        return chosen;
    }
    for (const fox_fix::FoxFix& fix : fixes_) {
        if (fix.outcome && fix.outcome->fix) {
            return fix.fox;
        }
    }
    return chosen;
}

void HuntMapHeat::Start() {
    if (!viewBox_) {
        return;
    }
    if (busy_) {
        gather_->start();  // once the stopped one has handed back its result
        return;
    }
    busy_ = true;
    running_ = std::stop_source();
    ++generation_;
    const fox_fix::FoxFix& fix = fixes_.at(static_cast<std::size_t>(ChosenFox() - 1));
    QThreadPool::globalInstance()->start([link = link_, stop = running_.get_token(), fix, options = options_,
                                          box = *viewBox_, size = size_, generation = generation_] {
        Result result;
        result.generation = generation;
        const auto built = hunt_picture::BuildHeatLayer(fix, options, box, size, stop);
        if (!built) {
            result.problem = built.message();
        } else if (*built) {
            result.layer = std::make_shared<const hunt_picture::HeatLayer>(std::move(**built));
        } else {
            result.stopped = true;
        }
        const std::lock_guard lock(link->mutex);
        if (HuntMapHeat* heat = link->heat) {
            QMetaObject::invokeMethod(
                heat, [heat, result] { heat->Finished(result); }, Qt::QueuedConnection);
        }
    });
}

void HuntMapHeat::Finished(const Result& result) {
    busy_ = false;
    if (result.stopped || result.generation != generation_ || !mnuHeat->isChecked()) {
        return;  // a later request has started or will start its own
    }
    layer_ = result.layer;
    if (!result.problem.empty()) {
        Q_EMIT Problem(QString::fromStdString(result.problem));
    }
    Q_EMIT LayerChanged();
}

}  // namespace vantrel::ui
