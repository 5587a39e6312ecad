#include "records/CStudents.h"

#include "platform/core/RuntimeError.h"
#include "records/StudentCode.h"

#include <limits>

void CStudents::Class_Initialize()
{
    // The collection only knows keys; the user reads about students.
    mcolStudents = std::make_unique<Collection>(
        QStringLiteral("The student record was not found: no entry has the key \"%1\"."));
}

void CStudents::Class_Terminate()
{
    mcolStudents.reset();
}

void CStudents::Add(QString strStudentName, std::int16_t intUnitsCompleted,
                    std::int16_t intGradeLevel, QString strMajor, QString strSchool,
                    QString strDeansList, QString strStudentCode)
{
    auto student = std::make_shared<CStudent>();
    student->setStudentCode(std::move(strStudentCode));
    student->setStudentName(std::move(strStudentName));
    student->setUnitsCompleted(intUnitsCompleted);
    student->setGradeLevel(intGradeLevel);
    student->setMajor(std::move(strMajor));
    student->setDeansList(std::move(strDeansList));
    student->setSchool(std::move(strSchool));
    mcolStudents->add(student, student->StudentCode());
}

void CStudents::Remove(const QString &strKey)
{
    mcolStudents->remove(strKey);
}

std::shared_ptr<CStudent> CStudents::Item(const QString &strKey) const
{
    return mcolStudents->item(strKey);
}

QString CStudents::NextStudentCode()
{
    if (mintLastCode == std::numeric_limits<std::int16_t>::max())
        throw platform::RuntimeError::overflow();
    ++mintLastCode;
    return StudentCode::fromNumber(mintLastCode);
}

std::int32_t CStudents::Count() const
{
    return mcolStudents->count();
}

CStudents::Collection::const_iterator CStudents::NewEnum() const
{
    return mcolStudents->begin();
}
