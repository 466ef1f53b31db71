// The main window's controls, menus, tab order and the wiring of their events to the handlers.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

#include "tempo/limits.h"
#include "ui/button_label.h"
#include "window/frm_main.h"
#include "window/validation_filter.h"

namespace tactoria {

namespace {

const QString kMinusGlyph = QStringLiteral("\u25BC");  // points down: lowers the value
const QString kPlusGlyph = QStringLiteral("\u25B2");   // points up: raises the value

// QLineEdit's own space around its text inside the frame (Qt's fixed margins), plus the caret.
constexpr int kFieldTextMarginX = 2;
constexpr int kFieldTextMarginY = 1;
constexpr int kCaretWidth = 1;

QFont BaseFont(const QFont& from) {
  QFont font = from;
  font.setPointSizeF(8.25);
  font.setUnderline(false);
  return font;
}

QFont Underlined(const QFont& base) {
  QFont font = base;
  font.setUnderline(true);
  return font;
}

// The layout is given in twips (15 to the pixel at 96 dpi) for a font that is narrower than
// most on Linux. Every position is multiplied by one factor, the smallest with which each
// field shows its largest text, each caption fits before its field and the field height
// holds a line of the window's font. The arrangement stays as drawn.
struct TwipScale {
  double factor = 1.0;
  int Px(int twips) const { return static_cast<int>(std::lround(twips * factor / 15.0)); }
  QRect operator()(int left, int top, int width, int height) const {
    return QRect(QPoint(Px(left), Px(top)), QPoint(Px(left + width) - 1, Px(top + height) - 1));
  }
};

TwipScale ScaleFor(const QFont& base, const QStyle* style) {
  const QFontMetrics metrics(base);
  const QFontMetrics underlined(Underlined(base));
  const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth);
  double factor = 1.0;
  const auto need = [&](int pixels, int twips) { factor = std::max(factor, pixels * 15.0 / twips); };
  // Field height: one line of text inside the frame.
  need(metrics.height() + 2 * (frame + kFieldTextMarginY), 195);
  // Field widths: the widest text each can hold.
  const int fieldChrome = 2 * (frame + kFieldTextMarginX) + kCaretWidth;
  need(metrics.horizontalAdvance(QString::number(kMaxBeatsPerBar * kMaxBars)) + fieldChrome, 615);  // total
  need(metrics.horizontalAdvance(QLatin1String(kMaxFramesText)) + fieldChrome, 2535);               // frames
  need(metrics.horizontalAdvance(QStringLiteral("3932160")) + fieldChrome, 2535);                   // tempo
  // Captions: their text before the field to their right (the room in twips).
  const std::pair<const char*, int> captions[] = {
      {"Beat(s):", 600}, {"Bar(s):", 480},   {"Total:", 480},     {"Samples:", 960},
      {"Bytes:", 960},   {"Channels:", 960}, {"Alignment:", 960}, {"Frequency:", 960},
  };
  for (const auto& [caption, room] : captions)
    need(metrics.horizontalAdvance(QLatin1String(caption)) + 2, room);
  need(underlined.horizontalAdvance(QStringLiteral("Edit")) + 2, 270);
  need(metrics.horizontalAdvance(kPlusGlyph) + 2, 165);
  // Check boxes: the box, its spacing and the caption before the next control.
  const int box =
      style->pixelMetric(QStyle::PM_IndicatorWidth) + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
  need(box + metrics.horizontalAdvance(QStringLiteral("Phaser")) + 4, 960);
  need(box + metrics.horizontalAdvance(QStringLiteral("Reverse")) + 4, 975);
  return TwipScale{factor};
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& at,
                  const QFont& font) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setFont(font);
  label->setGeometry(at);
  return label;
}

QLineEdit* MakeField(QWidget* parent, const QString& name, const QRect& at, const QFont& font, bool readOnly,
                     bool enabled) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setFont(font);
  field->setGeometry(at);
  field->setReadOnly(readOnly);
  field->setEnabled(enabled);
  return field;
}

QGroupBox* MakeFrame(QWidget* parent, const QString& name, const QString& caption, const QRect& at,
                     const QFont& base) {
  auto* frame = new QGroupBox(caption, parent);
  frame->setObjectName(name);
  frame->setFont(Underlined(base));  // the title; every child sets its own font
  frame->setGeometry(at);
  return frame;
}

// Sizes a caption to its text, keeping its height.
void FitCaption(QLabel* caption) {
  caption->resize(caption->sizeHint().width(), caption->height());
}

}  // namespace

void FrmMain::BuildControls() {
  const QFont base = BaseFont(font());
  setFont(base);
  const TwipScale Twips = ScaleFor(base, style());

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Client"));
  client->setFixedSize(Twips(0, 0, 4860, 6885).size());
  setCentralWidget(client);
  // A fixed frame: the window keeps the size of its client area and menu bar.
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  LblFilePath = MakeLabel(client, QStringLiteral("LblFilePath"), QStringLiteral("File Path & Name:"),
                          Twips(240, 120, 1260, 195), Underlined(base));
  LblFilePath->adjustSize();
  TxtDir = new QPlainTextEdit(client);
  TxtDir->setObjectName(QStringLiteral("TxtDir"));
  TxtDir->setFont(base);
  TxtDir->setGeometry(Twips(240, 360, 4335, 645));
  TxtDir->setReadOnly(true);
  TxtDir->setTabChangesFocus(true);
  TxtDir->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  TxtDir->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  TxtDir->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  TxtDir->document()->setDocumentMargin(1);

  auto label = [&](QWidget* parent, int index, const QString& caption, const QRect& at) {
    Lbl[index] = MakeLabel(parent, QStringLiteral("Lbl%1").arg(index), caption, at, base);
  };

  FrmCalc = MakeFrame(client, QStringLiteral("FrmCalc"), QStringLiteral("Bpm Calculator"),
                      Twips(120, 1080, 4575, 735), base);
  label(FrmCalc, 2, QStringLiteral("Beat(s):"), Twips(360, 360, 540, 195));
  TxtBeats = MakeField(FrmCalc, QStringLiteral("TxtBeats"), Twips(960, 360, 615, 195), base, false, false);
  label(FrmCalc, 3, QStringLiteral("Bar(s):"), Twips(1680, 360, 450, 195));
  TxtBars = MakeField(FrmCalc, QStringLiteral("TxtBars"), Twips(2160, 360, 615, 195), base, false, false);
  label(FrmCalc, 6, QStringLiteral("Total:"), Twips(2880, 360, 405, 195));
  TxtTotal = MakeField(FrmCalc, QStringLiteral("TxtTotal"), Twips(3360, 360, 615, 195), base, true, false);

  FrmOrg = MakeFrame(client, QStringLiteral("FrmOrg"), QStringLiteral("Original Sample"),
                     Twips(120, 1920, 4575, 1935), base);
  label(FrmOrg, 0, QStringLiteral("Samples:"), Twips(120, 360, 645, 195));
  TxtOrgSamp = MakeField(FrmOrg, QStringLiteral("TxtOrgSamp"), Twips(1080, 360, 2535, 195), base, true, true);
  label(FrmOrg, 10, QStringLiteral("Bytes:"), Twips(120, 600, 435, 195));
  TxtOrgBytes =
      MakeField(FrmOrg, QStringLiteral("TxtOrgBytes"), Twips(1080, 600, 2535, 195), base, true, true);
  label(FrmOrg, 1, QStringLiteral("Bpm:"), Twips(120, 840, 360, 195));
  TxtOrgBpm = MakeField(FrmOrg, QStringLiteral("TxtOrgBpm"), Twips(1080, 840, 2535, 195), base, true, true);
  label(FrmOrg, 9, QStringLiteral("Channels:"), Twips(120, 1080, 705, 195));
  TxtChannels =
      MakeField(FrmOrg, QStringLiteral("TxtChannels"), Twips(1080, 1080, 2535, 195), base, true, true);
  label(FrmOrg, 7, QStringLiteral("Alignment:"), Twips(120, 1320, 735, 195));
  TxtAlign = MakeField(FrmOrg, QStringLiteral("TxtAlign"), Twips(1080, 1320, 2535, 195), base, true, true);
  label(FrmOrg, 8, QStringLiteral("Frequency:"), Twips(120, 1560, 795, 195));
  TxtFreq = MakeField(FrmOrg, QStringLiteral("TxtFreq"), Twips(1080, 1560, 2535, 195), base, true, true);

  FrmNew = MakeFrame(client, QStringLiteral("FrmNew"), QStringLiteral("New Sample"),
                     Twips(120, 3960, 4575, 1695), base);
  label(FrmNew, 5, QStringLiteral("Samples:"), Twips(120, 360, 645, 195));
  TxtNewSamp =
      MakeField(FrmNew, QStringLiteral("TxtNewSamp"), Twips(1080, 360, 2535, 195), base, false, false);
  label(FrmNew, 12, QStringLiteral("Bytes:"), Twips(120, 600, 435, 195));
  TxtNewBytes =
      MakeField(FrmNew, QStringLiteral("TxtNewBytes"), Twips(1080, 600, 2535, 195), base, true, false);
  label(FrmNew, 4, QStringLiteral("Bpm:"), Twips(120, 840, 360, 195));
  TxtNewBpm = MakeField(FrmNew, QStringLiteral("TxtNewBpm"), Twips(1080, 840, 2535, 195), base, true, false);

  const int rows[3] = {360, 840, 1080};
  for (int i = 0; i < 3; ++i) {
    LblMinus[i] = new ButtonLabel(kMinusGlyph, FrmNew);
    LblMinus[i]->setObjectName(QStringLiteral("LblMinus%1").arg(i));
    LblMinus[i]->setGeometry(Twips(3720, rows[i], 165, 195));
    LblPlus[i] = new ButtonLabel(kPlusGlyph, FrmNew);
    LblPlus[i]->setObjectName(QStringLiteral("LblPlus%1").arg(i));
    LblPlus[i]->setGeometry(Twips(3960, rows[i], 165, 195));
    for (ButtonLabel* arrow : {LblMinus[i], LblPlus[i]}) {
      arrow->setFont(base);
      arrow->setAlignment(Qt::AlignCenter);
      arrow->setEnabled(false);
      ShowArrowPressed(arrow, false);
    }
  }

  LblEditBpm = new ButtonLabel(QStringLiteral("Edit"), FrmNew);
  LblEditBpm->setObjectName(QStringLiteral("LblEditBpm"));
  LblEditBpm->setFont(Underlined(base));
  LblEditBpm->setGeometry(Twips(4200, 840, 270, 195));
  LblEditBpm->SetColours(QColor(0, 0, 255), QColor());
  LblEditBpm->setCursor(Qt::PointingHandCursor);
  LblEditBpm->setEnabled(false);

  ChkPhaser = new QCheckBox(QStringLiteral("Phaser"), FrmNew);
  ChkPhaser->setObjectName(QStringLiteral("ChkPhaser"));
  ChkPhaser->setFont(base);
  ChkPhaser->setGeometry(Twips(120, 1080, 855, 195));
  ChkPhaser->setEnabled(false);
  LblPhaser =
      MakeField(FrmNew, QStringLiteral("LblPhaser"), Twips(1080, 1080, 2535, 195), base, false, false);
  LblPhaser->setText(QStringLiteral("1"));
  lastAccepted_.insert(LblPhaser, LblPhaser->text());
  ChkReverse = new QCheckBox(QStringLiteral("Reverse"), FrmNew);
  ChkReverse->setObjectName(QStringLiteral("ChkReverse"));
  ChkReverse->setFont(base);
  ChkReverse->setGeometry(Twips(120, 1320, 975, 195));
  ChkReverse->setEnabled(false);

  FrmSpan = MakeFrame(client, QStringLiteral("FrmSpan"), QStringLiteral("Span File(s) Properties"),
                      Twips(120, 5760, 4575, 975), base);
  label(FrmSpan, 11, QStringLiteral("Samples:"), Twips(120, 360, 645, 195));
  TxtSpSamp = MakeField(FrmSpan, QStringLiteral("TxtSpSamp"), Twips(1080, 360, 2535, 195), base, true, false);
  label(FrmSpan, 13, QStringLiteral("Bytes:"), Twips(120, 600, 435, 195));
  TxtSpBytes =
      MakeField(FrmSpan, QStringLiteral("TxtSpBytes"), Twips(1080, 600, 2535, 195), base, true, false);

  for (QLabel* caption : Lbl) FitCaption(caption);
}

void FrmMain::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setFont(font());
  MnuFile = bar->addMenu(QStringLiteral("File"));
  MnuFile->setObjectName(QStringLiteral("MnuFile"));
  auto command = [this](QMenu* menu, const char* name, const QString& caption, bool enabled) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(enabled);
    return action;
  };
  auto separator = [](QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };
  MnuOpenWave = command(MnuFile, "MnuOpenWave", QStringLiteral("Open"), true);
  MnuFileSep1 = separator(MnuFile, "MnuFileSep1");
  MnuSaveAsWave = command(MnuFile, "MnuSaveAsWave", QStringLiteral("Save As..."), false);
  MnuFileSep2 = separator(MnuFile, "MnuFileSep2");
  MnuSpanAs = command(MnuFile, "MnuSpanAs", QStringLiteral("Span As..."), false);
  BuildExportSlicesCommand();
  MnuFileSep3 = separator(MnuFile, "MnuFileSep3");
  MnuExit = command(MnuFile, "MnuExit", QStringLiteral("Exit"), true);

  MnuTools = bar->addMenu(QStringLiteral("Tools"));
  MnuTools->setObjectName(QStringLiteral("MnuTools"));
  MnuShuffle = command(MnuTools, "MnuShuffle", QStringLiteral("Shuffle"), false);
  MnuToolsSep1 = separator(MnuTools, "MnuToolsSep1");
  MnuMixTo = command(MnuTools, "MnuMixTo", QStringLiteral("Mix To"), false);
  BuildKeepPitchCommand();
  BuildTempoCommands();

  MnuAbout = bar->addAction(QStringLiteral("About/Help"));
  MnuAbout->setObjectName(QStringLiteral("MnuAbout"));
  AddDesktopCommands();
  BuildImportCommand();
}

void FrmMain::SetTabOrder() {
  const QWidget* order[] = {TxtOrgSamp, TxtOrgBytes, TxtOrgBpm, TxtChannels, TxtAlign,  TxtFreq,
                            TxtNewSamp, TxtNewBytes, TxtNewBpm, ChkPhaser,   LblPhaser, ChkReverse,
                            TxtDir,     TxtTotal,    TxtBars,   TxtBeats,    TxtSpSamp, TxtSpBytes};
  for (std::size_t i = 1; i < std::size(order); ++i)
    setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
  TxtOrgSamp->setFocus(Qt::OtherFocusReason);
}

void FrmMain::ShowArrowPressed(ButtonLabel* arrow, bool pressed) {
  const QColor grey(64, 64, 64);
  if (pressed)
    arrow->SetColours(grey, Qt::white);
  else
    arrow->SetColours(Qt::white, grey);
}

void FrmMain::ConnectHandlers() {
  connect(TxtBars, &QLineEdit::textChanged, this, &FrmMain::TxtBars_Change);
  connect(TxtBeats, &QLineEdit::textChanged, this, &FrmMain::TxtBeats_Change);
  connect(TxtOrgBytes, &QLineEdit::textChanged, this, &FrmMain::TxtOrgBytes_Change);
  connect(TxtOrgSamp, &QLineEdit::textChanged, this, &FrmMain::TxtOrgSamp_Change);
  connect(TxtTotal, &QLineEdit::textChanged, this, &FrmMain::TxtTotal_Change);
  connect(TxtNewSamp, &QLineEdit::textChanged, this, &FrmMain::TxtNewSamp_Change);
  connect(LblPhaser, &QLineEdit::textChanged, this, &FrmMain::LblPhaser_Change);
  connect(ChkPhaser, &QCheckBox::toggled, this, &FrmMain::ChkPhaser_Click);
  connect(LblEditBpm, &ButtonLabel::Click, this, &FrmMain::LblEditBpm_Click);

  validation_ = new ValidationFilter(this);
  validation_->Watch(TxtBars, [this](bool& cancel) { TxtBars_Validate(cancel); });
  validation_->Watch(TxtBeats, [this](bool& cancel) { TxtBeats_Validate(cancel); });
  validation_->Watch(TxtNewSamp, [this](bool& cancel) { TxtNewSamp_Validate(cancel); });
  validation_->Watch(LblPhaser, [this](bool& cancel) { LblPhaser_Validate(cancel); });

  for (int i = 0; i < 3; ++i) {
    connect(LblMinus[i], &ButtonLabel::MouseDown, this,
            [this, i](int button, int shift, int x, int y) { LblMinus_MouseDown(i, button, shift, x, y); });
    connect(LblMinus[i], &ButtonLabel::MouseUp, this,
            [this, i](int button, int shift, int x, int y) { LblMinus_MouseUp(i, button, shift, x, y); });
    connect(LblMinus[i], &ButtonLabel::Click, this, [this, i] { LblMinus_Click(i); });
    connect(LblMinus[i], &ButtonLabel::DblClick, this, [this, i] { LblMinus_DblClick(i); });
    connect(LblPlus[i], &ButtonLabel::MouseDown, this,
            [this, i](int button, int shift, int x, int y) { LblPlus_MouseDown(i, button, shift, x, y); });
    connect(LblPlus[i], &ButtonLabel::MouseUp, this,
            [this, i](int button, int shift, int x, int y) { LblPlus_MouseUp(i, button, shift, x, y); });
    connect(LblPlus[i], &ButtonLabel::Click, this, [this, i] { LblPlus_Click(i); });
    connect(LblPlus[i], &ButtonLabel::DblClick, this, [this, i] { LblPlus_DblClick(i); });
  }
  for (int i = 0; i < 6; ++i) {
    const Arrow arrow = i < 3 ? Arrow::Minus : Arrow::Plus;
    const int index = i % 3;
    QTimer* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(0);
    connect(timer, &QTimer::timeout, this, [this, arrow, index] { HoldPass(arrow, index); });
    holds_.at(i).timer = timer;
  }

  connect(MnuOpenWave, &QAction::triggered, this, &FrmMain::MnuOpenWave_Click);
  connect(MnuSaveAsWave, &QAction::triggered, this, &FrmMain::MnuSaveAsWave_Click);
  connect(MnuSpanAs, &QAction::triggered, this, &FrmMain::MnuSpanAs_Click);
  connect(MnuExit, &QAction::triggered, this, &FrmMain::MnuExit_Click);
  connect(MnuShuffle, &QAction::triggered, this, &FrmMain::MnuShuffle_Click);
  connect(MnuMixTo, &QAction::triggered, this, &FrmMain::MnuMixTo_Click);
  connect(MnuAbout, &QAction::triggered, this, &FrmMain::MnuAbout_Click);
}

}  // namespace tactoria
