// The whole program with its real windows and message boxes, printing each document to a
// numbered PDF in the folder named on the command line, for the test driven through the
// desktop's accessibility bus:  atspi_host <folder>

#include "app/Forms.h"
#include "app/frmMain.h"
#include "application.h"

#include "platform/accessibility/Accessibility.h"
#include "platform/forms/defaultFont.h"
#include "platform/services/dispatch.h"
#include "platform/services/PainterPrinter.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

// A CUPS-PDF queue's documents have no text to read back; Qt's own PDF output has.
class FolderPrinter final : public platform::PdfPrinter
{
public:
    explicit FolderPrinter(const QDir &folder)
        : PdfPrinter(folder.filePath(QStringLiteral("printing.part"))), m_folder(folder)
    {}

protected:
    // A document appears under its final name only once it is whole.
    void closeDevice(bool aborted) override
    {
        PdfPrinter::closeDevice(aborted);
        if (aborted) {
            QFile::remove(fileName());
            return;
        }
        ++m_documents;
        const QString name =
            QStringLiteral("document-%1.pdf").arg(m_documents, 2, 10, QLatin1Char('0'));
        QFile::rename(fileName(), m_folder.filePath(name));
    }

private:
    QDir m_folder;
    int m_documents = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2 || !QDir(arguments.at(1)).exists()) {
        std::fputs("usage: atspi_host <existing folder for the printed documents>\n", stderr);
        return 2;
    }
    QApplication::setApplicationName(application::title());
    QApplication::setApplicationVersion(application::version());
    platform::installDefaultFont();
    platform::installAccessibility();
    QApplication::setQuitOnLastWindowClosed(false);
    platform::setPrinter(std::make_unique<FolderPrinter>(QDir(arguments.at(1))));

    Forms forms;
    platform::dispatch([&forms] { forms.frmMain->Show(platform::ShowMode::Modeless); });
    const int status = QApplication::exec();
    // The printer goes before the application whose fonts it holds.
    platform::setPrinter(nullptr);
    return status;
}
