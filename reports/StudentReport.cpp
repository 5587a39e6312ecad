#include "reports/StudentReport.h"

#include "platform/services/MessageBox.h"
#include "platform/services/Printer.h"

#include "application.h"

using platform::PrintItem;

namespace reports {

namespace {

const PrintItem EndOfLine = PrintItem::EndOfLine();
const PrintItem NextZone = PrintItem::NextZone();
// Every labelled line starts its label at this column.
const PrintItem LabelIndent = PrintItem::Column(7);

void printEmptyLines(int count)
{
    for (int i = 0; i < count; ++i)
        platform::Print({EndOfLine});
}

// A labelled line: the label at its column, the value zones further on.
void printLabelled(const char *label, const QString &value, int zones = 1)
{
    platform::PrintStatement statement{LabelIndent, PrintItem::Text(QString::fromLatin1(label))};
    for (int i = 0; i < zones; ++i)
        statement.append(NextZone);
    statement << PrintItem::Text(value) << EndOfLine;
    platform::Print(statement);
}

void showEntryError(const QString &prompt)
{
    platform::MsgBox(prompt, QStringLiteral("Error"));
}

} // namespace

QString authorName()
{
    return application::author();
}

bool GradeLevelChosen(const platform::OptionArray &optLevel)
{
    const bool freshman = optLevel[0].Value();
    const bool sophomore = optLevel[1].Value();
    const bool junior = optLevel[2].Value();
    const bool senior = optLevel[3].Value();
    if (!freshman && !sophomore && !junior && !senior) {
        showEntryError(QStringLiteral("Grade Level Not Selected"));
        return false;
    }
    return true;
}

void PrintStudent(const StudentFields &fields)
{
    if (fields.txtName.Text().isEmpty()) {
        showEntryError(QStringLiteral("Please Enter Your Name"));
        fields.txtName.SetFocus();
        return;
    }
    if (fields.txtUnits.Text().isEmpty()) {
        showEntryError(QStringLiteral("Enter Number of Units"));
        fields.txtUnits.SetFocus();
        return;
    }
    if (fields.lstMajor.ListIndex() == -1) {
        showEntryError(QStringLiteral("Please Enter Your Major"));
        fields.lstMajor.SetFocus();
        return;
    }
    if (fields.cboSchool.Text().isEmpty()) {
        showEntryError(QStringLiteral("Please Enter Your School"));
        fields.cboSchool.SetFocus();
        return;
    }
    if (!GradeLevelChosen(fields.optLevel))
        return;

    printEmptyLines(3);
    platform::Print(
        {NextZone, NextZone, PrintItem::Text(QStringLiteral("Student Information")), EndOfLine});
    printEmptyLines(3);
    printLabelled("Student Name:", fields.txtName.Text());
    printEmptyLines(1);
    printLabelled("Units Completed:", fields.txtUnits.Text());
    printEmptyLines(1);
    printLabelled("Major:", fields.lstMajor.List(fields.lstMajor.ListIndex()), 2);
    printEmptyLines(1);

    // A typed school joins the list (at its sorted place) and becomes the selected entry.
    if (fields.cboSchool.ListIndex() == -1) {
        fields.cboSchool.AddItem(fields.cboSchool.Text());
        fields.cboSchool.setListIndex(fields.cboSchool.NewIndex());
    }
    printLabelled("School:", fields.cboSchool.List(fields.cboSchool.ListIndex()));
    printEmptyLines(1);

    QString grade;
    if (fields.optLevel[0].Value())
        grade = QStringLiteral("Freshman");
    else if (fields.optLevel[1].Value())
        grade = QStringLiteral("Sophomore");
    else if (fields.optLevel[2].Value())
        grade = QStringLiteral("Junior");
    else
        grade = QStringLiteral("Senior");
    printLabelled("Grade Level:", grade);
    printEmptyLines(1);

    // Grayed (2) prints no Dean's list line.
    QString deans;
    if (fields.chkDeans.Value() == 0)
        deans = QStringLiteral("No");
    else if (fields.chkDeans.Value() == 1)
        deans = QStringLiteral("Yes");
    if (!deans.isEmpty())
        printLabelled("Deans List:", deans);
    platform::EndDoc();
}

void PrintSchools(platform::ComboBox &cboSchool)
{
    printEmptyLines(3);
    platform::Print({NextZone, NextZone, PrintItem::Text(authorName()), EndOfLine});
    printEmptyLines(3);
    platform::Print({NextZone, PrintItem::Text(QStringLiteral("School List:")), EndOfLine});
    printEmptyLines(1);
    const int count = cboSchool.ListCount();
    for (int position = 0; position < count; ++position) {
        platform::Print({NextZone, NextZone, PrintItem::Text(cboSchool.List(position)), EndOfLine});
        printEmptyLines(1);
    }
    platform::EndDoc();
}

} // namespace reports
