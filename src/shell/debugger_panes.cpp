// The debugger window's data panes: memory, watches, call stack and trace,
// profile, pictures of the screen and the character sets, tape and UART.
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

#include "app/file_chooser.h"
#include "shell/debug_pictures.h"
#include "shell/debugger_window.h"
#include "shell/message_sink.h"

namespace vantorel {

namespace {

constexpr int kMemoryColumns = 16;
constexpr int kMemoryRows = 16;
// Marks fade out over this many T-states (about a tenth of a second).
constexpr std::int64_t kFadeTStates = 200'000;
constexpr int kProfileRows = 64;

QString hex4(std::uint32_t value) {
    return QStringLiteral("%1").arg(value & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper();
}

QString hex2(std::uint32_t value) {
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

// How strongly an access `age` T-states ago still shows (0 gone, 1 just now).
double freshness(std::int64_t when, std::int64_t now) {
    if (when < 0 || when > now) return 0.0;
    return std::max(0.0, 1.0 - static_cast<double>(now - when) / kFadeTStates);
}

// Red for a write, green for a read, blue for an execute, each paler as
// it ages; the latest access wins.
QColor markColour(const AccessMark& mark, std::int64_t now) {
    struct Candidate {
        std::int64_t when;
        QColor colour;
    };
    const Candidate candidates[] = {{mark.write, QColor(255, 80, 80)},
                                    {mark.read, QColor(80, 200, 80)},
                                    {mark.execute, QColor(90, 120, 255)}};
    const Candidate* latest =
        std::max_element(std::begin(candidates), std::end(candidates),
                         [](const Candidate& a, const Candidate& b) { return a.when < b.when; });
    const double strength = freshness(latest->when, now);
    if (strength <= 0.0) return QColor(Qt::transparent);
    QColor colour = latest->colour;
    colour.setAlphaF(static_cast<float>(0.15 + 0.85 * strength));
    return colour;
}

QTableWidget* makeTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setObjectName(QString::fromUtf8(name));
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromUtf8(name));
    return button;
}

}  // namespace

// --- Memory ---

QWidget* DebuggerWindow::buildMemory() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    memoryAddress_ = new QLineEdit(hex4(memoryStart_), page);
    memoryAddress_->setObjectName(QStringLiteral("memoryAddress"));
    connect(memoryAddress_, &QLineEdit::returnPressed, this, [this] {
        if (const auto address = parseAddress(memoryAddress_->text())) {
            memoryStart_ = static_cast<std::uint16_t>(*address & 0xFFF0);
        }
        refresh();
    });
    auto* whoWrote = makeButton(page, "whoWrote", QStringLiteral("Who Wrote It?"));
    auto* writer = new QLabel(page);
    writer->setObjectName(QStringLiteral("memoryWriter"));
    connect(whoWrote, &QPushButton::clicked, this, [this, writer] {
        const int row = memory_->currentRow();
        const int column = memory_->currentColumn();
        if (row < 0 || column < 0) return;
        const auto address =
            static_cast<std::uint16_t>(memoryStart_ + row * kMemoryColumns + column);
        const WriteRecord record = debugger_.whoWrote(address);
        writer->setText(
            record.found ? QStringLiteral("%1 written with %2 by PC %3 at T-state %4")
                               .arg(hex4(address), hex2(record.value), labelled(record.pc))
                               .arg(record.tstate)
                         : QStringLiteral("%1: no write kept in the history").arg(hex4(address)));
    });
    top->addWidget(new QLabel(QStringLiteral("Address"), page));
    top->addWidget(memoryAddress_);
    top->addWidget(whoWrote);
    top->addWidget(writer, 1);
    layout->addLayout(top);
    memory_ = new QTableWidget(kMemoryRows, kMemoryColumns + 1, page);
    memory_->setObjectName(QStringLiteral("memory"));
    QStringList headers;
    for (int column = 0; column < kMemoryColumns; ++column) headers << hex2(column).right(1);
    headers << QStringLiteral("Text");
    memory_->setHorizontalHeaderLabels(headers);
    memory_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(memory_, &QTableWidget::cellChanged, this, &DebuggerWindow::editMemoryCell);
    layout->addWidget(memory_, 1);
    layout->addWidget(
        new QLabel(QStringLiteral("Red: written, green: read, blue: executed, fading as they age. "
                                  "A byte's tooltip names the PC that last wrote it."),
                   page));
    return page;
}

void DebuggerWindow::refreshMemory() {
    const bool was = refreshing_;
    refreshing_ = true;
    const std::int64_t now = debugger_.now();
    QStringList rows;
    for (int row = 0; row < kMemoryRows; ++row) {
        const auto rowStart = static_cast<std::uint16_t>(memoryStart_ + row * kMemoryColumns);
        rows << hex4(rowStart);
        QString text;
        for (int column = 0; column < kMemoryColumns; ++column) {
            const auto address = static_cast<std::uint16_t>(rowStart + column);
            const std::uint8_t value = debugger_.peek(address);
            const AccessMark mark = debugger_.accessMark(address);
            auto* item = new QTableWidgetItem(hex2(value));
            item->setBackground(markColour(mark, now));
            item->setToolTip(
                mark.writerPc >= 0
                    ? QStringLiteral("%1 written by PC %2")
                          .arg(hex4(address), labelled(static_cast<std::uint16_t>(mark.writerPc)))
                    : QStringLiteral("%1 not written since the debugger opened")
                          .arg(hex4(address)));
            memory_->setItem(row, column, item);
            text += value >= 0x20 && value < 0x7F ? QChar(value) : QChar('.');
        }
        auto* textItem = new QTableWidgetItem(text);
        textItem->setFlags(Qt::ItemIsEnabled);
        memory_->setItem(row, kMemoryColumns, textItem);
    }
    memory_->setVerticalHeaderLabels(rows);
    if (!memoryAddress_->hasFocus()) memoryAddress_->setText(hex4(memoryStart_));
    refreshing_ = was;
}

void DebuggerWindow::editMemoryCell(int row, int column) {
    if (refreshing_ || running_ || column >= kMemoryColumns) return;
    const auto address = static_cast<std::uint16_t>(memoryStart_ + row * kMemoryColumns + column);
    bool ok = false;
    const uint value = memory_->item(row, column)->text().trimmed().toUInt(&ok, 16);
    if (ok && value <= 0xFF) {
        const std::uint8_t byte[] = {static_cast<std::uint8_t>(value)};
        debugger_.writeMemory(address, byte);
        if (hooks_.machineChanged) hooks_.machineChanged();
    }
    refresh();
}

// --- Watches ---

QWidget* DebuggerWindow::buildWatches() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    watchInput_ = new QLineEdit(page);
    watchInput_->setObjectName(QStringLiteral("watchInput"));
    watchInput_->setPlaceholderText(QStringLiteral("HL+2, (SP), A & 0x0F ..."));
    auto* add = makeButton(page, "addWatch", QStringLiteral("Add"));
    auto* remove = makeButton(page, "removeWatch", QStringLiteral("Remove"));
    connect(watchInput_, &QLineEdit::returnPressed, this, &DebuggerWindow::addWatch);
    connect(add, &QPushButton::clicked, this, &DebuggerWindow::addWatch);
    top->addWidget(watchInput_, 1);
    top->addWidget(add);
    top->addWidget(remove);
    layout->addLayout(top);
    watchTable_ =
        makeTable(page, "watches", {QStringLiteral("Expression"), QStringLiteral("Value")});
    connect(remove, &QPushButton::clicked, this, [this] {
        const int row = watchTable_->currentRow();
        if (row < 0 || row >= static_cast<int>(watches_.size())) return;
        watches_.erase(watches_.begin() + row);
        refreshWatches();
    });
    layout->addWidget(watchTable_, 1);
    return page;
}

void DebuggerWindow::addWatch() {
    const QString text = watchInput_->text().trimmed();
    if (text.isEmpty()) return;
    watches_.push_back(text);
    watchInput_->clear();
    refreshWatches();
}

void DebuggerWindow::refreshWatches() {
    watchTable_->setRowCount(static_cast<int>(watches_.size()));
    for (int row = 0; row < static_cast<int>(watches_.size()); ++row) {
        const QString& expression = watches_[static_cast<std::size_t>(row)];
        std::int64_t value = 0;
        std::string error;
        const QString shown =
            debugger_.evaluate(expression.toStdString(), value, error)
                ? QStringLiteral("%1 (%2)").arg(hex4(static_cast<std::uint32_t>(value))).arg(value)
                : QString::fromStdString(error);
        watchTable_->setItem(row, 0, new QTableWidgetItem(expression));
        watchTable_->setItem(row, 1, new QTableWidgetItem(shown));
    }
}

// --- Call stack and trace ---

QWidget* DebuggerWindow::buildTrace() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Call stack (innermost last)"), page));
    callStack_ = new QListWidget(page);
    callStack_->setObjectName(QStringLiteral("callStack"));
    layout->addWidget(callStack_, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("The last instructions (oldest first)"), page), 1);
    auto* save = makeButton(page, "saveTrace", QStringLiteral("Save Trace..."));
    connect(save, &QPushButton::clicked, this, &DebuggerWindow::saveTrace);
    top->addWidget(save);
    layout->addLayout(top);
    trace_ = new QListWidget(page);
    trace_->setObjectName(QStringLiteral("trace"));
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    trace_->setFont(fixed);
    callStack_->setFont(fixed);
    layout->addWidget(trace_, 3);
    return page;
}

void DebuggerWindow::refreshCallStack() {
    callStack_->clear();
    for (const CallFrame& frame : debugger_.callStack()) {
        const char* kind = frame.kind == CallKind::call  ? "call"
                           : frame.kind == CallKind::rst ? "rst "
                                                         : "int ";
        callStack_->addItem(
            QStringLiteral("%1 from %2 to %3")
                .arg(QString::fromUtf8(kind), labelled(frame.callSite), labelled(frame.target)));
    }
}

void DebuggerWindow::refreshTrace() {
    trace_->clear();
    for (const TraceEntry& entry : debugger_.trace()) {
        const Z80State& r = entry.registers;
        trace_->addItem(QStringLiteral("%1  %2 %3 %4 %5  AF=%6 BC=%7 DE=%8 HL=%9 SP=%10")
                            .arg(hex4(r.PC), hex2(entry.bytes[0]), hex2(entry.bytes[1]),
                                 hex2(entry.bytes[2]), hex2(entry.bytes[3]), hex4(r.AF), hex4(r.BC),
                                 hex4(r.DE), hex4(r.HL))
                            .arg(hex4(r.SP)));
    }
    trace_->scrollToBottom();
}

void DebuggerWindow::saveTrace() {
    FileDialogRequest request;
    request.caption = "Save Trace";
    request.filters = {{"Text Files (*.txt)", {"*.txt"}}};
    request.defaultSuffix = "txt";
    request.fileName = "trace.txt";
    const std::optional<std::string> path = chooser_.chooseSaveFile(request);
    if (!path) return;
    std::string error;
    if (!debugger_.saveTrace(*path, error)) {
        messages_.warn(QStringLiteral("The trace was not saved to %1: %2")
                           .arg(QString::fromStdString(*path), QString::fromStdString(error)));
    }
}

// --- Profile ---

QWidget* DebuggerWindow::buildProfile() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* clear = makeButton(page, "clearProfile", QStringLiteral("Clear"));
    connect(clear, &QPushButton::clicked, this, [this] {
        debugger_.clearProfile();
        refreshProfile();
    });
    layout->addWidget(clear);
    profileRoutines_ =
        makeTable(page, "profileRoutines", {QStringLiteral("Routine"), QStringLiteral("T-states")});
    profileAddresses_ = makeTable(page, "profileAddresses",
                                  {QStringLiteral("Address"), QStringLiteral("T-states")});
    layout->addWidget(profileRoutines_, 1);
    layout->addWidget(profileAddresses_, 1);
    return page;
}

std::vector<RoutineRange> DebuggerWindow::routineRanges() const {
    std::vector<RoutineRange> ranges;
    const std::vector<Symbol>& symbols = symbols_.byAddress();
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        if (i + 1 < symbols.size() && symbols[i + 1].value == symbols[i].value) continue;
        const std::uint16_t last =
            i + 1 < symbols.size() ? static_cast<std::uint16_t>(symbols[i + 1].value - 1) : 0xFFFF;
        ranges.push_back({symbols[i].name, symbols[i].value, last});
    }
    return ranges;
}

void DebuggerWindow::refreshProfile() {
    std::vector<RoutineProfile> routines = debugger_.profileRoutines(routineRanges());
    std::erase_if(routines, [](const RoutineProfile& r) { return r.tstates == 0; });
    std::sort(
        routines.begin(), routines.end(),
        [](const RoutineProfile& a, const RoutineProfile& b) { return a.tstates > b.tstates; });
    routines.resize(std::min<std::size_t>(routines.size(), kProfileRows));
    profileRoutines_->setRowCount(static_cast<int>(routines.size()));
    for (int row = 0; row < static_cast<int>(routines.size()); ++row) {
        const RoutineProfile& routine = routines[static_cast<std::size_t>(row)];
        profileRoutines_->setItem(row, 0,
                                  new QTableWidgetItem(QString::fromStdString(routine.name)));
        profileRoutines_->setItem(row, 1, new QTableWidgetItem(QString::number(routine.tstates)));
    }
    const std::span<const std::uint64_t> profile = debugger_.profile();
    std::vector<std::uint32_t> addresses(profile.size());
    std::iota(addresses.begin(), addresses.end(), 0u);
    std::erase_if(addresses, [&profile](std::uint32_t a) { return profile[a] == 0; });
    const auto shown = std::min<std::size_t>(addresses.size(), kProfileRows);
    std::partial_sort(
        addresses.begin(), addresses.begin() + static_cast<std::ptrdiff_t>(shown), addresses.end(),
        [&profile](std::uint32_t a, std::uint32_t b) { return profile[a] > profile[b]; });
    profileAddresses_->setRowCount(static_cast<int>(shown));
    for (int row = 0; row < static_cast<int>(shown); ++row) {
        const std::uint32_t address = addresses[static_cast<std::size_t>(row)];
        profileAddresses_->setItem(
            row, 0, new QTableWidgetItem(labelled(static_cast<std::uint16_t>(address))));
        profileAddresses_->setItem(row, 1, new QTableWidgetItem(QString::number(profile[address])));
    }
}

// --- Pictures, tape and UART ---

QWidget* DebuggerWindow::buildPictures() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    const auto addPicture = [&](const char* name, const QString& title) {
        layout->addWidget(new QLabel(title, page));
        auto* label = new QLabel(page);
        label->setObjectName(QString::fromUtf8(name));
        layout->addWidget(label);
        return label;
    };
    screenPicture_ = addPicture("screenPicture", QStringLiteral("Screen RAM F080-F7FF"));
    auto* sets = new QHBoxLayout;
    layout->addLayout(sets);
    romCharacters_ = addPicture("romCharacters", QStringLiteral("Character ROM F800-FBFF"));
    programmableCharacters_ =
        addPicture("programmableCharacters", QStringLiteral("Programmable characters FC00-FFFF"));
    layout->addWidget(new QLabel(QStringLiteral("Tape and UART"), page));
    tapeState_ = new QLabel(page);
    tapeState_->setObjectName(QStringLiteral("tapeState"));
    layout->addWidget(tapeState_);
    layout->addStretch(1);
    return page;
}

void DebuggerWindow::refreshPictures() {
    const auto peek = [this](std::uint16_t address) { return debugger_.peek(address); };
    screenPicture_->setPixmap(QPixmap::fromImage(screenRamPicture(peek)));
    romCharacters_->setPixmap(
        QPixmap::fromImage(characterSetPicture(peek, kRomCharacters).scaled(256, 128)));
    programmableCharacters_->setPixmap(
        QPixmap::fromImage(characterSetPicture(peek, kProgrammableCharacters).scaled(256, 128)));
}

void DebuggerWindow::refreshTape() {
    const TapeView tape = debugger_.tape();
    const auto yes = [](bool on) { return on ? QStringLiteral("yes") : QStringLiteral("no"); };
    tapeState_->setText(
        QStringLiteral("Playing: %1  Recording: %2  Motor: %3  Port FE: %4  %5 baud\n"
                       "Position %6 s of %7 s\n"
                       "UART: byte waiting %8, overrun %9, framing error %10, sending %11")
            .arg(yes(tape.playing), yes(tape.recording), yes(tape.motorOn), hex2(tape.control))
            .arg(tape.baud)
            .arg(tape.positionSeconds, 0, 'f', 2)
            .arg(tape.lengthSeconds, 0, 'f', 2)
            .arg(yes(tape.receiverFull), yes(tape.overrun), yes(tape.framingError),
                 yes(tape.transmitterBusy)));
}

}  // namespace vantorel
