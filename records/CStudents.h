#pragma once

#include "records/CStudent.h"

#include "platform/core/KeyedCollection.h"

#include <QString>

#include <cstdint>
#include <memory>

// The students of a run, each stored under its student code; also hands out the codes.
class CStudents
{
public:
    using Collection = platform::KeyedCollection<CStudent>;

    CStudents() { Class_Initialize(); }
    ~CStudents() { Class_Terminate(); }
    CStudents(const CStudents &) = delete;
    CStudents &operator=(const CStudents &) = delete;

    void Add(QString strStudentName, std::int16_t intUnitsCompleted, std::int16_t intGradeLevel,
             QString strMajor, QString strSchool, QString strDeansList, QString strStudentCode);
    void Remove(const QString &strKey);
    std::shared_ptr<CStudent> Item(const QString &strKey) const;
    std::shared_ptr<CStudent> operator[](const QString &strKey) const { return Item(strKey); }
    QString NextStudentCode();
    std::int32_t Count() const;
    Collection::const_iterator NewEnum() const;

    Collection::const_iterator begin() const { return mcolStudents->begin(); }
    Collection::const_iterator end() const { return mcolStudents->end(); }

private:
    void Class_Initialize();
    void Class_Terminate();

    std::unique_ptr<Collection> mcolStudents;
    std::int16_t mintLastCode = 0;
};
