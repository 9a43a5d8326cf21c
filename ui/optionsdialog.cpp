// The Options dialog.
#include "ui/optionsdialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/kivovamapp.h"
#include "base/paths.h"
#include "ui/uitext.h"

namespace {

QLineEdit* AddPathRow(QGridLayout* grid, int row, const QString& label, QPushButton*& button, QWidget* parent,
                      const QString& browseDescription) {
  auto* caption = new QLabel(label, parent);
  auto* field = new QLineEdit(parent);
  caption->setBuddy(field);
  button = new QPushButton(QStringLiteral("..."), parent);
  button->setAccessibleDescription(browseDescription);
  button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
  grid->addWidget(caption, row, 0);
  grid->addWidget(field, row, 1);
  grid->addWidget(button, row, 2);
  return field;
}

}  // namespace

COptionsDialog::COptionsDialog(CKivoVamApp& app, QWidget* parent) : QDialog(parent), m_app(&app) {
  setWindowTitle(QStringLiteral("Options"));
  auto* layout = new QVBoxLayout(this);

  auto* search = new QGroupBox(QStringLiteral("Search Directories"), this);
  auto* searchGrid = new QGridLayout(search);
  m_fsets = AddPathRow(searchGrid, 0, QStringLiteral("&Function Sets:"), m_fsetsBrowse, search,
                       QStringLiteral("Browse for the function-set folder"));
  layout->addWidget(search);

  auto* help = new QGroupBox(QStringLiteral("Help"), this);
  auto* helpGrid = new QGridLayout(help);
  QPushButton* manualBrowse = nullptr;
  QPushButton* notesBrowse = nullptr;
  m_manual = AddPathRow(helpGrid, 0, QStringLiteral("&Reference Manual:"), manualBrowse, help,
                        QStringLiteral("Browse for the reference manual"));
  m_notes = AddPathRow(helpGrid, 1, QStringLiteral("App. &Notes:"), notesBrowse, help,
                       QStringLiteral("Browse for the application-notes folder"));
  layout->addWidget(help);

  // The folder itself is named: a relative path here means nothing until one knows where the program lies.
  auto* note = new QLabel(QStringLiteral("Note: All paths can be specified either as absolute path or\n"
                                         "as a path relative to the program folder:\n%1")
                              .arg(ToQ(ProgramFolder())),
                          this);
  note->setObjectName(QStringLiteral("pathNote"));
  note->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(note);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &COptionsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_fsetsBrowse, &QPushButton::clicked, this, &COptionsDialog::BrowseFunctionSets);
  connect(manualBrowse, &QPushButton::clicked, this, &COptionsDialog::BrowseManual);
  connect(notesBrowse, &QPushButton::clicked, this, &COptionsDialog::BrowseAppNotes);

  CKivoVamApp::COptionsFields fields = app.OptionsFields();
  m_fsets->setText(ToQ(fields.functionSetFolder));
  m_manual->setText(ToQ(fields.referenceManualPath));
  m_notes->setText(ToQ(fields.appNotesFolder));
  if (app.FunctionSetFolderLocked()) {
    m_fsets->setEnabled(false);
    m_fsetsBrowse->setEnabled(false);
  }
  m_fsets->setMinimumWidth(320);

  chooseFolder = [this](const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(this, title, start);
  };
  chooseManual = [this](const QString& start) {
    return QFileDialog::getOpenFileName(this, QString(), start, QStringLiteral("PDF Files (*.pdf);;All Files (*)"),
                                        nullptr, QFileDialog::ReadOnly);
  };
}

void COptionsDialog::BrowseFolder(QLineEdit* field) {
  QString start = ToQ(ResolvePath(FromQ(field->text()), ""));
  QString chosen = chooseFolder(CatalogQString(560), start);
  if (!chosen.isEmpty())
    field->setText(ToQ(CKivoVamApp::MakeRelativeToProgram(FromQ(chosen))));
}

void COptionsDialog::BrowseFunctionSets() { BrowseFolder(m_fsets); }
void COptionsDialog::BrowseAppNotes() { BrowseFolder(m_notes); }

void COptionsDialog::BrowseManual() {
  QString start = ToQ(ResolvePath(FromQ(m_manual->text()), ""));
  QString chosen = chooseManual(start);
  if (!chosen.isEmpty())
    m_manual->setText(ToQ(CKivoVamApp::MakeRelativeToProgram(FromQ(chosen))));
}

void COptionsDialog::accept() {
  m_app->ApplyOptions({FromQ(m_fsets->text()), FromQ(m_manual->text()), FromQ(m_notes->text())});
  QDialog::accept();
}
