#include "shell/debugger_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "debug/symbol_files.h"

namespace vantorel {

namespace {

constexpr int kLinesBeforePc = 8;
constexpr int kLinesAfterPc = 24;
constexpr int kLogLinesKept = 1000;
constexpr int kLogShowMs = 200;
constexpr int kLiveRefreshMs = 250;  // the panes while the machine runs

QString hex4(std::uint32_t value) {
    return QStringLiteral("%1").arg(value & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper();
}

QString hex2(std::uint32_t value) {
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

const char* kindName(BreakKind kind) {
    switch (kind) {
        case BreakKind::execute:
            return "execute";
        case BreakKind::read:
            return "read";
        case BreakKind::write:
            return "write";
        case BreakKind::portIn:
            return "port in";
        case BreakKind::portOut:
            return "port out";
        case BreakKind::interrupt:
            return "interrupt";
        case BreakKind::frameTState:
            return "frame T-state";
        case BreakKind::tapeMotor:
            return "tape motor";
        case BreakKind::uart:
            return "UART";
    }
    return "?";
}

constexpr BreakKind kKinds[] = {BreakKind::execute,     BreakKind::read,      BreakKind::write,
                                BreakKind::portIn,      BreakKind::portOut,   BreakKind::interrupt,
                                BreakKind::frameTState, BreakKind::tapeMotor, BreakKind::uart};

// The registers the window edits, by the name shown, and where each lives.
struct RegisterField {
    const char* name;
    std::uint32_t Z80State::*field;
    std::uint32_t mask;
};

constexpr RegisterField kRegisters[] = {
    {"AF", &Z80State::AF, 0xFFFF},     {"BC", &Z80State::BC, 0xFFFF},
    {"DE", &Z80State::DE, 0xFFFF},     {"HL", &Z80State::HL, 0xFFFF},
    {"AF'", &Z80State::altAF, 0xFFFF}, {"BC'", &Z80State::altBC, 0xFFFF},
    {"DE'", &Z80State::altDE, 0xFFFF}, {"HL'", &Z80State::altHL, 0xFFFF},
    {"IX", &Z80State::IX, 0xFFFF},     {"IY", &Z80State::IY, 0xFFFF},
    {"SP", &Z80State::SP, 0xFFFF},     {"PC", &Z80State::PC, 0xFFFF},
    {"I", &Z80State::I, 0xFF},         {"R", &Z80State::R, 0xFF},
    {"IM", &Z80State::IM, 0x3},        {"IFF1", &Z80State::IFF1, 0x1},
    {"IFF2", &Z80State::IFF2, 0x1},
};

constexpr const char* kFlagNames[8] = {"C", "N", "PV", "X", "H", "Y", "Z", "S"};

QString objectNameForRegister(const QString& name) {
    QString object = QStringLiteral("reg") + name;
    return object.replace(QLatin1Char('\''), QStringLiteral("Alt"));
}

}  // namespace

QString stopReasonText(const StopReason& reason, const SymbolTable& symbols) {
    const std::string label = symbols.labelFor(reason.pc);
    QString where = QStringLiteral("at PC %1").arg(hex4(reason.pc));
    if (!label.empty()) where += QStringLiteral(" ") + QString::fromStdString(label);
    QString what;
    switch (reason.kind) {
        case StopKind::breakpoint:
            what = QStringLiteral("Breakpoint %1 (%2 %3)")
                       .arg(reason.breakpointId)
                       .arg(QString::fromUtf8(kindName(reason.breakKind)), hex4(reason.address));
            break;
        case StopKind::step:
            what = QStringLiteral("Step");
            break;
        case StopKind::runToCursor:
            what = QStringLiteral("Ran to the cursor");
            break;
        case StopKind::frame:
            what = QStringLiteral("Frame boundary");
            break;
        case StopKind::paused:
            what = QStringLiteral("Stopped");
            break;
        case StopKind::historyStart:
            what = QStringLiteral("Start of the history");
            break;
        case StopKind::notRunning:
            return QStringLiteral("The machine is not running");
        case StopKind::failed:
            return QStringLiteral("Failed: ") + QString::fromStdString(reason.message);
        case StopKind::none:
            what = QStringLiteral("Running");
            break;
    }
    return what + QStringLiteral(" ") + where;
}

DebuggerWindow::DebuggerWindow(Debugger& debugger, const SymbolTable& symbols, FileChooser& chooser,
                               MessageSink& messages, DebuggerWindowHooks hooks, QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      debugger_(debugger),
      symbols_(symbols),
      chooser_(chooser),
      messages_(messages),
      hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("debuggerWindow"));
    setWindowTitle(QStringLiteral("Vantorel Debugger"));
    buildToolbar();
    auto* splitter = new QSplitter(this);
    splitter->setObjectName(QStringLiteral("debuggerSplitter"));
    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->addWidget(buildRegisters());
    leftLayout->addWidget(buildDisassembly(), 1);
    tabs_ = new QTabWidget(splitter);
    tabs_->setObjectName(QStringLiteral("debuggerTabs"));
    tabs_->addTab(buildBreakpoints(), QStringLiteral("Breakpoints"));
    tabs_->addTab(buildMemory(), QStringLiteral("Memory"));
    tabs_->addTab(buildWatches(), QStringLiteral("Watches"));
    tabs_->addTab(buildTrace(), QStringLiteral("Trace"));
    tabs_->addTab(buildProfile(), QStringLiteral("Profile"));
    tabs_->addTab(buildPictures(), QStringLiteral("Screen and Characters"));
    splitter->addWidget(left);
    splitter->addWidget(tabs_);
    setCentralWidget(splitter);
    stopReason_ = new QLabel(this);
    stopReason_->setObjectName(QStringLiteral("stopReason"));
    statusBar()->addWidget(stopReason_, 1);
    resize(1100, 720);
    // While the frame loop has the machine the panes follow it a few times
    // a second (between frames, in this thread); the trace, the profile and
    // the pictures, which cost more to fill, wait for the next stop.
    auto* liveTimer = new QTimer(this);
    liveTimer->setObjectName(QStringLiteral("liveRefreshTimer"));
    connect(liveTimer, &QTimer::timeout, this, [this] {
        if (running_ && isVisible()) refreshWhileRunning();
    });
    liveTimer->start(kLiveRefreshMs);
}

// QWidget's destructor closes the window, which takes the focus from a line
// edit; its editingFinished must not reach this half-destroyed window. The
// debugger may outlive the window: its log lines stop coming here.
DebuggerWindow::~DebuggerWindow() {
    for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
    debugger_.setLogSink(nullptr);
}

void DebuggerWindow::refreshWhileRunning() {
    const bool was = refreshing_;
    refreshing_ = true;
    refreshRegisters();
    refreshDisassembly();
    refreshMemory();
    refreshWatches();
    refreshCallStack();
    refreshTape();
    refreshing_ = was;
}

// --- Toolbar ---

QAction* DebuggerWindow::addCommand(const char* name, const QString& text, const QKeySequence& keys,
                                    std::function<StopReason()> run) {
    QAction* action = findChild<QToolBar*>(QStringLiteral("debuggerToolbar"))->addAction(text);
    action->setObjectName(QString::fromUtf8(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setToolTip(QStringLiteral("%1 (%2)").arg(text, keys.toString()));
    if (run) connect(action, &QAction::triggered, this, [this, run] { runStep(run); });
    return action;
}

void DebuggerWindow::buildToolbar() {
    auto* toolbar = addToolBar(QStringLiteral("Run"));
    toolbar->setObjectName(QStringLiteral("debuggerToolbar"));
    Debugger& d = debugger_;
    connect(addCommand("continue", QStringLiteral("Continue"), Qt::Key_F5, nullptr),
            &QAction::triggered, this, &DebuggerWindow::continueCommand);
    connect(addCommand("stop", QStringLiteral("Stop"), Qt::SHIFT | Qt::Key_F5, nullptr),
            &QAction::triggered, this, &DebuggerWindow::stopCommand);
    addCommand("stepInto", QStringLiteral("Step Into"), Qt::Key_F11, [&d] { return d.stepInto(); });
    addCommand("stepOver", QStringLiteral("Step Over"), Qt::Key_F10, [&d] { return d.stepOver(); });
    addCommand("stepOut", QStringLiteral("Step Out"), Qt::SHIFT | Qt::Key_F11,
               [&d] { return d.stepOut(); });
    addCommand("runFrame", QStringLiteral("Run One Frame"), Qt::Key_F8,
               [&d] { return d.runFrame(); });
    addCommand("runToCursor", QStringLiteral("Run to Cursor"), Qt::Key_F7,
               [this] { return debugger_.runToAddress(cursorAddress()); });
    toolbar->addSeparator();
    addCommand("stepBack", QStringLiteral("Step Back"), Qt::CTRL | Qt::Key_F11,
               [&d] { return d.stepBack(); });
    addCommand("stepBackOver", QStringLiteral("Step Back Over"), Qt::CTRL | Qt::Key_F10,
               [&d] { return d.stepBackOver(); });
    addCommand("stepBackOut", QStringLiteral("Step Back Out"), Qt::CTRL | Qt::SHIFT | Qt::Key_F11,
               [&d] { return d.stepOutBack(); });
    addCommand("stepBackFrame", QStringLiteral("Step Back Frame"), Qt::CTRL | Qt::Key_F8,
               [&d] { return d.stepBackFrame(); });
    addCommand("reverseContinue", QStringLiteral("Reverse Continue"), Qt::CTRL | Qt::Key_F5,
               [&d] { return d.reverseContinue(); });
    toolbar->addSeparator();
    connect(addCommand("toggleBreakpoint", QStringLiteral("Breakpoint"), Qt::Key_F9, nullptr),
            &QAction::triggered, this, &DebuggerWindow::toggleBreakpointAtCursor);
}

// A run of the debugger's own: the frame loop is held first, so the
// machine belongs to the debugger while it runs.
void DebuggerWindow::runStep(const std::function<StopReason()>& run) {
    if (running_) stopCommand();
    showStop(run());
    if (hooks_.machineChanged) hooks_.machineChanged();
}

void DebuggerWindow::continueCommand() {
    if (running_) return;
    running_ = true;
    stopReason_->setText(QStringLiteral("Running"));
    if (hooks_.continueRunning) hooks_.continueRunning();
}

void DebuggerWindow::stopCommand() {
    if (!running_) return;
    if (hooks_.stopRunning) hooks_.stopRunning();
    StopReason reason;
    reason.kind = StopKind::paused;
    reason.pc = static_cast<std::uint16_t>(debugger_.registers().PC);
    reason.tstate = debugger_.now();
    showStop(reason);
}

void DebuggerWindow::showStop(const StopReason& reason) {
    running_ = false;
    stopReason_->setText(stopReasonText(reason, symbols_));
    refresh();
}

void DebuggerWindow::refresh() {
    refreshing_ = true;
    showPendingLog();
    refreshWhileRunning();
    refreshBreakpoints();
    refreshTrace();
    refreshProfile();
    refreshPictures();
    refreshing_ = false;
}

void DebuggerWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && hooks_.activationChanged) {
        hooks_.activationChanged();
    }
}

void DebuggerWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    running_ = false;
    if (hooks_.closed) hooks_.closed();
}

// --- Registers ---

QWidget* DebuggerWindow::buildRegisters() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("registers"));
    auto* grid = new QGridLayout(box);
    int index = 0;
    for (const RegisterField& field : kRegisters) {
        const QString name = QString::fromUtf8(field.name);
        auto* edit = new QLineEdit(box);
        edit->setObjectName(objectNameForRegister(name));
        edit->setMaximumWidth(64);
        connect(edit, &QLineEdit::editingFinished, this,
                [this, name, edit] { editRegister(name, edit->text()); });
        grid->addWidget(new QLabel(name, box), index / 4, (index % 4) * 2);
        grid->addWidget(edit, index / 4, (index % 4) * 2 + 1);
        registerEdits_.emplace_back(name, edit);
        ++index;
    }
    auto* flags = new QHBoxLayout;
    for (int bit = 7; bit >= 0; --bit) {
        auto* check = new QCheckBox(QString::fromUtf8(kFlagNames[bit]), box);
        check->setObjectName(QStringLiteral("flag") + QString::fromUtf8(kFlagNames[bit]));
        connect(check, &QCheckBox::toggled, this, [this, bit](bool on) { editFlag(bit, on); });
        flags->addWidget(check);
        flagBoxes_.push_back(check);
    }
    grid->addLayout(flags, (index + 3) / 4, 0, 1, 8);
    return box;
}

void DebuggerWindow::refreshRegisters() {
    const Z80State registers = debugger_.registers();
    for (std::size_t i = 0; i < registerEdits_.size(); ++i) {
        const std::uint32_t value = registers.*kRegisters[i].field & kRegisters[i].mask;
        registerEdits_[i].second->setText(kRegisters[i].mask > 0xFF ? hex4(value) : hex2(value));
    }
    for (int bit = 7; bit >= 0; --bit) {
        flagBoxes_[static_cast<std::size_t>(7 - bit)]->setChecked(((registers.AF >> bit) & 1) != 0);
    }
}

void DebuggerWindow::editRegister(const QString& name, const QString& text) {
    if (refreshing_ || running_) return;
    const std::optional<std::uint16_t> value =
        parseSymbolValue(std::string("$").append(text.trimmed().toStdString()));
    Z80State registers = debugger_.registers();
    for (const RegisterField& field : kRegisters) {
        if (name != QString::fromUtf8(field.name)) continue;
        if (!value) break;
        if ((registers.*field.field & field.mask) == (*value & field.mask)) return;
        registers.*field.field = *value & field.mask;
        debugger_.setRegisters(registers);
    }
    refreshing_ = true;
    refreshRegisters();
    refreshDisassembly();
    refreshWatches();
    refreshing_ = false;
}

void DebuggerWindow::editFlag(int bit, bool on) {
    if (refreshing_ || running_) return;
    Z80State registers = debugger_.registers();
    const std::uint32_t mask = 1u << bit;
    registers.AF = on ? (registers.AF | mask) : (registers.AF & ~mask);
    debugger_.setRegisters(registers);
    refreshing_ = true;
    refreshRegisters();
    refreshing_ = false;
}

// --- Disassembly ---

QWidget* DebuggerWindow::buildDisassembly() {
    disassembly_ = new QListWidget(this);
    disassembly_->setObjectName(QStringLiteral("disassembly"));
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    disassembly_->setFont(fixed);
    connect(disassembly_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem*) { toggleBreakpointAtCursor(); });
    return disassembly_;
}

void DebuggerWindow::refreshDisassembly() {
    const auto pc = static_cast<std::uint16_t>(debugger_.registers().PC);
    const std::vector<DisassemblyLine> lines =
        debugger_.disassembly(pc, kLinesBeforePc, kLinesAfterPc);
    disassembly_->clear();
    for (const DisassemblyLine& line : lines) {
        QString bytes;
        for (int i = 0; i < line.length; ++i) bytes += hex2(line.bytes[i]) + QLatin1Char(' ');
        const std::string label = symbols_.labelFor(line.address, 0);
        QString text =
            QStringLiteral("%1%2 %3  %4%5")
                .arg(line.breakpoint ? QStringLiteral("*") : QStringLiteral(" "),
                     line.pc ? QStringLiteral(">") : QStringLiteral(" "), hex4(line.address),
                     bytes.leftJustified(12), QString::fromStdString(line.text));
        if (!label.empty()) {
            disassembly_->addItem(QString::fromStdString(label) + QLatin1Char(':'));
            disassembly_->item(disassembly_->count() - 1)->setData(Qt::UserRole, line.address);
        }
        // A jump's or call's target by its label too.
        static const QRegularExpression kTarget(QStringLiteral("\\$([0-9a-f]{4})"));
        const QRegularExpressionMatch target = kTarget.match(text);
        if (target.hasMatch()) {
            const std::string name = symbols_.labelFor(
                static_cast<std::uint16_t>(target.captured(1).toUInt(nullptr, 16)), 0);
            if (!name.empty()) text += QStringLiteral("  ; ") + QString::fromStdString(name);
        }
        auto* item = new QListWidgetItem(text, disassembly_);
        item->setData(Qt::UserRole, line.address);
        if (line.breakpoint) item->setForeground(Qt::red);
        if (line.pc) {
            item->setBackground(QColor(255, 255, 160));
            disassembly_->setCurrentItem(item);
        }
    }
}

std::uint16_t DebuggerWindow::cursorAddress() const {
    const QListWidgetItem* item = disassembly_->currentItem();
    if (item == nullptr) return static_cast<std::uint16_t>(debugger_.registers().PC);
    return static_cast<std::uint16_t>(item->data(Qt::UserRole).toUInt());
}

// An execute breakpoint at the line: removed when one starts there, else added.
void DebuggerWindow::toggleBreakpointAtCursor() {
    const std::uint16_t address = cursorAddress();
    for (const Breakpoint& point : debugger_.breakpoints()) {
        if (point.settings.kind == BreakKind::execute && point.settings.first == address) {
            debugger_.removeBreakpoint(point.id);
            refresh();
            return;
        }
    }
    BreakpointSettings spec;
    spec.first = spec.last = address;
    debugger_.addBreakpoint(spec);
    const int row = disassembly_->currentRow();
    refresh();
    disassembly_->setCurrentRow(row);
}

// --- Breakpoints ---

QWidget* DebuggerWindow::buildBreakpoints() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    breakpoints_ = new QTableWidget(0, 7, page);
    breakpoints_->setObjectName(QStringLiteral("breakpoints"));
    breakpoints_->setHorizontalHeaderLabels({QStringLiteral("On"), QStringLiteral("Id"),
                                             QStringLiteral("Kind"), QStringLiteral("Where"),
                                             QStringLiteral("Condition"), QStringLiteral("Hits"),
                                             QStringLiteral("Log")});
    breakpoints_->setSelectionBehavior(QAbstractItemView::SelectRows);
    breakpoints_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    breakpoints_->horizontalHeader()->setStretchLastSection(true);
    connect(breakpoints_, &QTableWidget::cellChanged, this,
            &DebuggerWindow::breakpointEnabledChanged);
    layout->addWidget(breakpoints_, 1);

    auto* form = new QFormLayout;
    breakKind_ = new QComboBox(page);
    breakKind_->setObjectName(QStringLiteral("breakKind"));
    for (const BreakKind kind : kKinds) breakKind_->addItem(QString::fromUtf8(kindName(kind)));
    breakFirst_ = new QLineEdit(page);
    breakFirst_->setObjectName(QStringLiteral("breakFirst"));
    breakFirst_->setPlaceholderText(QStringLiteral("address, port, T-state or label"));
    breakLast_ = new QLineEdit(page);
    breakLast_->setObjectName(QStringLiteral("breakLast"));
    breakLast_->setPlaceholderText(QStringLiteral("end of the range (optional)"));
    breakCondition_ = new QLineEdit(page);
    breakCondition_->setObjectName(QStringLiteral("breakCondition"));
    breakCondition_->setPlaceholderText(QStringLiteral("A==0x0D && (HL)==0"));
    breakHitCount_ = new QSpinBox(page);
    breakHitCount_->setObjectName(QStringLiteral("breakHitCount"));
    breakHitCount_->setRange(1, 1'000'000);
    breakLog_ = new QLineEdit(page);
    breakLog_->setObjectName(QStringLiteral("breakLog"));
    breakLog_->setPlaceholderText(QStringLiteral("HL={HL} A={A}: logs and goes on"));
    form->addRow(QStringLiteral("Kind"), breakKind_);
    form->addRow(QStringLiteral("From"), breakFirst_);
    form->addRow(QStringLiteral("To"), breakLast_);
    form->addRow(QStringLiteral("Condition"), breakCondition_);
    form->addRow(QStringLiteral("Stop on hit"), breakHitCount_);
    form->addRow(QStringLiteral("Log text"), breakLog_);
    layout->addLayout(form);
    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Add"), page);
    add->setObjectName(QStringLiteral("addBreakpoint"));
    connect(add, &QPushButton::clicked, this, &DebuggerWindow::addBreakpointFromForm);
    auto* remove = new QPushButton(QStringLiteral("Remove"), page);
    remove->setObjectName(QStringLiteral("removeBreakpoint"));
    connect(remove, &QPushButton::clicked, this, &DebuggerWindow::removeSelectedBreakpoint);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    layout->addLayout(buttons);
    breakError_ = new QLabel(page);
    breakError_->setObjectName(QStringLiteral("breakError"));
    layout->addWidget(breakError_);
    breakLogLines_ = new QListWidget(page);
    breakLogLines_->setObjectName(QStringLiteral("breakLogLines"));
    layout->addWidget(breakLogLines_);
    // Lines come from inside a frame: kept, and shown a few times a second.
    debugger_.setLogSink([this](std::string_view line) {
        if (pendingLog_.size() < kLogLinesKept)
            pendingLog_ << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    });
    auto* logTimer = new QTimer(this);
    connect(logTimer, &QTimer::timeout, this, &DebuggerWindow::showPendingLog);
    logTimer->start(kLogShowMs);
    return page;
}

void DebuggerWindow::refreshBreakpoints() {
    const bool was = refreshing_;
    refreshing_ = true;
    const std::vector<Breakpoint>& points = debugger_.breakpoints();
    breakpoints_->setRowCount(static_cast<int>(points.size()));
    for (int row = 0; row < static_cast<int>(points.size()); ++row) {
        const Breakpoint& point = points[static_cast<std::size_t>(row)];
        auto* on = new QTableWidgetItem;
        on->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        on->setCheckState(point.settings.enabled ? Qt::Checked : Qt::Unchecked);
        on->setData(Qt::UserRole, point.id);
        breakpoints_->setItem(row, 0, on);
        QString where = hex4(point.settings.first);
        if (point.settings.last > point.settings.first)
            where += QLatin1Char('-') + hex4(point.settings.last);
        if (point.settings.kind == BreakKind::frameTState)
            where = QString::number(point.settings.first);
        const QString cells[] = {
            QString::number(point.id),
            QString::fromUtf8(kindName(point.settings.kind)),
            where,
            QString::fromStdString(point.settings.condition),
            QStringLiteral("%1 / %2").arg(point.hits).arg(std::max(1u, point.settings.stopOnHit)),
            QString::fromStdString(point.settings.logFormat)};
        for (int column = 1; column < 7; ++column) {
            breakpoints_->setItem(row, column, new QTableWidgetItem(cells[column - 1]));
        }
    }
    refreshing_ = was;
}

void DebuggerWindow::showPendingLog() {
    if (pendingLog_.isEmpty()) return;
    breakLogLines_->addItems(pendingLog_);
    pendingLog_.clear();
    while (breakLogLines_->count() > kLogLinesKept) delete breakLogLines_->takeItem(0);
    breakLogLines_->scrollToBottom();
}

void DebuggerWindow::addBreakpointFromForm() {
    BreakpointSettings spec;
    spec.kind = kKinds[breakKind_->currentIndex()];
    const bool needsFirst = spec.kind != BreakKind::interrupt &&
                            spec.kind != BreakKind::tapeMotor && spec.kind != BreakKind::uart;
    bool decimal = false;
    const std::uint32_t tstate = breakFirst_->text().trimmed().toUInt(&decimal);
    const std::optional<std::uint32_t> first = spec.kind == BreakKind::frameTState && decimal
                                                   ? std::optional<std::uint32_t>(tstate)
                                                   : parseAddress(breakFirst_->text());
    if (needsFirst && !first) {
        breakError_->setText(
            QStringLiteral("\"%1\" is not a number or a label").arg(breakFirst_->text()));
        return;
    }
    spec.first = first.value_or(0);
    spec.last = spec.first;
    if (!breakLast_->text().trimmed().isEmpty()) {
        const std::optional<std::uint32_t> last = parseAddress(breakLast_->text());
        if (!last) {
            breakError_->setText(
                QStringLiteral("\"%1\" is not a number or a label").arg(breakLast_->text()));
            return;
        }
        spec.last = *last;
    }
    spec.condition = breakCondition_->text().trimmed().toStdString();
    spec.stopOnHit = static_cast<std::uint32_t>(breakHitCount_->value());
    spec.logFormat = breakLog_->text().toStdString();
    const BreakpointResult result = debugger_.addBreakpoint(spec);
    breakError_->setText(result.ok() ? QString() : QString::fromStdString(result.error));
    refresh();
}

void DebuggerWindow::removeSelectedBreakpoint() {
    const int row = breakpoints_->currentRow();
    if (row < 0 || breakpoints_->item(row, 0) == nullptr) return;
    debugger_.removeBreakpoint(breakpoints_->item(row, 0)->data(Qt::UserRole).toInt());
    refresh();
}

void DebuggerWindow::breakpointEnabledChanged(int row, int column) {
    if (refreshing_ || column != 0) return;
    const QTableWidgetItem* item = breakpoints_->item(row, 0);
    debugger_.enableBreakpoint(item->data(Qt::UserRole).toInt(), item->checkState() == Qt::Checked);
    refreshDisassembly();
}

std::optional<std::uint32_t> DebuggerWindow::parseAddress(const QString& text) const {
    const std::string trimmed = text.trimmed().toStdString();
    if (trimmed.empty()) return std::nullopt;
    if (const auto value = symbols_.valueOf(trimmed)) return *value;
    // Hex without a mark, as the window shows every address; else as
    // assemblers write numbers (0x1234, 1234H, #1234).
    if (const auto value = parseSymbolValue(std::string("$").append(trimmed))) return *value;
    if (const auto value = parseSymbolValue(trimmed)) return *value;
    return std::nullopt;
}

QString DebuggerWindow::labelled(std::uint16_t address) const {
    const std::string label = symbols_.labelFor(address, 0x100);
    return label.empty() ? hex4(address)
                         : hex4(address) + QLatin1Char(' ') + QString::fromStdString(label);
}

}  // namespace vantorel
