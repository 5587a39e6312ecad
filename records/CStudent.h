#pragma once

#include <QString>

#include <cstdint>

// The record of one student: seven values behind get/set pairs, no behaviour of its own.
class CStudent
{
public:
    QString StudentName() const { return mstrStudentName; }
    void setStudentName(QString value) { mstrStudentName = std::move(value); }
    std::int16_t UnitsCompleted() const { return mintUnitsCompleted; }
    void setUnitsCompleted(std::int16_t value) { mintUnitsCompleted = value; }
    std::int16_t GradeLevel() const { return mintGradeLevel; }
    void setGradeLevel(std::int16_t value) { mintGradeLevel = value; }
    QString Major() const { return mstrMajor; }
    void setMajor(QString value) { mstrMajor = std::move(value); }
    QString School() const { return mstrSchool; }
    void setSchool(QString value) { mstrSchool = std::move(value); }
    QString DeansList() const { return mstrDeansList; }
    void setDeansList(QString value) { mstrDeansList = std::move(value); }
    QString StudentCode() const { return mstrStudentCode; }
    void setStudentCode(QString value) { mstrStudentCode = std::move(value); }

private:
    QString mstrStudentName;
    std::int16_t mintUnitsCompleted = 0;
    std::int16_t mintGradeLevel = 0;
    QString mstrMajor;
    QString mstrSchool;
    QString mstrDeansList;
    QString mstrStudentCode;
};
