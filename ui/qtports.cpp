// The ports of the desktop program.
#include "ui/qtports.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QWindow>
#include <QStringList>
#include <algorithm>
#include <memory>

#include "ui/uitext.h"

namespace {

constexpr int kPictureWidth = 440;
constexpr int kPictureHeight = 270;

QMessageBox::Icon IconOf(EMessageKind kind) {
  switch (kind) {
    case EMessageKind::Error: return QMessageBox::Critical;
    case EMessageKind::Information: return QMessageBox::Information;
    case EMessageKind::Question: return QMessageBox::Question;
    case EMessageKind::Warning: return QMessageBox::Warning;
  }
  return QMessageBox::Warning;
}

struct CStoreLocation {
  QString maker;
  QString product;
  QString group;
};

// "Software\Halvora\Kivo Vam\Options" -> Halvora, Kivo Vam, Options.
std::optional<CStoreLocation> LocationOf(const std::string& keyPath) {
  QString path = QString::fromStdString(keyPath);
  path.replace(QLatin1Char('\n'), QLatin1Char('/')).replace(QLatin1Char('\\'), QLatin1Char('/'));
  QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  if (!parts.isEmpty() && parts.front().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
    parts.pop_front();
  if (parts.size() < 2)
    return std::nullopt;
  CStoreLocation location{parts[0], parts[1], {}};
  location.group = parts.mid(2).join(QLatin1Char('/'));
  return location;
}

// Our own picture: the product's name on a dark blue ground.
QPixmap StartupPicture() {
  QPixmap picture(kPictureWidth, kPictureHeight);
  QPainter painter(&picture);
  QLinearGradient ground(0, 0, kPictureWidth, kPictureHeight);
  ground.setColorAt(0, QColor(16, 44, 84));
  ground.setColorAt(1, QColor(40, 96, 150));
  painter.fillRect(picture.rect(), ground);
  painter.setPen(QColor(230, 240, 255));
  QFont title = painter.font();
  title.setPointSize(30);
  title.setBold(true);
  painter.setFont(title);
  painter.drawText(QRect(20, 40, kPictureWidth - 40, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kivo Vam"));
  QFont subtitle = painter.font();
  subtitle.setPointSize(11);
  subtitle.setBold(false);
  painter.setFont(subtitle);
  painter.drawText(QRect(22, 100, kPictureWidth - 40, 24), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Timing coprocessor configuration"));
  painter.drawText(QRect(22, 124, kPictureWidth - 40, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Halvora"));
  return picture;
}

}  // namespace

CQtMessagePort::CQtMessagePort() {
  QString answer = qEnvironmentVariable("KIVOVAM_TEST_ANSWER").toLower();
  if (answer == QLatin1String("yes"))
    m_testAnswer = EAnswer::Yes;
  else if (answer == QLatin1String("no"))
    m_testAnswer = EAnswer::No;
  if (m_testAnswer)
    m_testLog = qEnvironmentVariable("KIVOVAM_TEST_MESSAGES").toStdString();
}

void CQtMessagePort::Record(const CMessage& message) const {
  if (m_testLog.empty())
    return;
  // Appended to a plain file only: a FIFO or a device named here is left alone.
  int fd = open(m_testLog.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0)
    return;
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    std::string line = std::to_string(message.id) + " " + MessageKindName(message.kind) + "\n";
    [[maybe_unused]] ssize_t written = write(fd, line.data(), line.size());
  }
  close(fd);
}

EAnswer CQtMessagePort::Show(const CMessage& message) {
  if (m_testAnswer) {
    Record(message);
    return message.kind == EMessageKind::Question ? *m_testAnswer : EAnswer::No;
  }
  QMessageBox box(IconOf(message.kind), QStringLiteral("Kivo Vam"), QString::fromStdString(message.text),
                  QMessageBox::NoButton, QApplication::activeWindow());
  if (message.kind != EMessageKind::Question) {
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return EAnswer::No;
  }
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes ? EAnswer::Yes : EAnswer::No;
}

CQtSettingsPort::CQtSettingsPort(QString rootFolder) : m_root(std::move(rootFolder)) {
  if (m_root.isEmpty())
    m_root = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

CQtSettingsPort::~CQtSettingsPort() = default;

std::string CQtSettingsPort::FileOf(const std::string& keyPath) const {
  std::optional<CStoreLocation> location = LocationOf(keyPath);
  if (!location)
    return {};
  return (m_root + QLatin1Char('/') + location->maker + QLatin1Char('/') + location->product +
          QLatin1String(".conf"))
      .toStdString();
}

CSettingsFile* CQtSettingsPort::FileFor(const std::string& keyPath, std::string& group) {
  std::optional<CStoreLocation> location = LocationOf(keyPath);
  if (!location)
    return nullptr;
  group = location->group.toStdString();
  std::string path = FileOf(keyPath);
  std::unique_ptr<CSettingsFile>& file = m_files[path];
  if (!file)
    file = std::make_unique<CSettingsFile>(path);
  file->Refresh();
  return file.get();
}

std::optional<std::string> CQtSettingsPort::Read(const std::string& keyPath, const std::string& name) {
  std::string group;
  CSettingsFile* file = FileFor(keyPath, group);
  return file ? file->Value(group, name) : std::nullopt;
}

bool CQtSettingsPort::Write(const std::string& keyPath, const std::string& name, const std::string& value) {
  std::string group;
  CSettingsFile* file = FileFor(keyPath, group);
  return file && file->SetValue(group, name, value);
}

CStartupWindow::CStartupWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_picture(StartupPicture()),
      m_status(new QLabel(QStringLiteral("Initializing..."), this)),
      m_bar(new QProgressBar(this)) {
  setFixedSize(m_picture.size());
  const int width = m_picture.width() - 40;
  m_status->setGeometry(20, m_picture.height() - 46, width, 15);
  m_status->setAutoFillBackground(true);
  QPalette palette = m_status->palette();
  palette.setColor(QPalette::Window, QColor(192, 192, 192));
  palette.setColor(QPalette::WindowText, Qt::black);
  m_status->setPalette(palette);
  m_bar->setGeometry(20, m_picture.height() - 30, width, 15);
  m_bar->setTextVisible(false);
  m_bar->setRange(0, m_range);
  m_bar->setValue(0);
  setAccessibleName(QStringLiteral("Kivo Vam"));
}

void CStartupWindow::ShowNow() {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
  show();
  // The loaders keep the event loop from running: wait (briefly) for the
  // display to map the window, then paint it before they start.
  QElapsedTimer waited;
  waited.start();
  do
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
  while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 500);
  repaint();
}

void CStartupWindow::SetText(const std::string& text) {
  QString qtext = QString::fromStdString(text);
  if (qtext == m_status->text())
    return;
  m_status->setText(qtext);
  m_status->repaint();
}

void CStartupWindow::SetProgress(int position, int range) {
  if (range >= 0) {
    m_range = std::min(range, 0xFFFF);
    m_bar->setRange(0, m_range);
  }
  m_bar->setValue(std::clamp(position, 0, m_range));
  if (isVisible())
    repaint();
}

QString CStartupWindow::Text() const { return m_status->text(); }
int CStartupWindow::Position() const { return m_bar->value(); }
int CStartupWindow::Range() const { return m_range; }

void CStartupWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, m_picture);
}
