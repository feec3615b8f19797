#pragma once

// What the program end-to-end tests share: 99 programs whose every travelling field differs,
// and the comparison of what came back with what went out.

#include "editors/programs/Programs.h"
#include "link/CommandEncoding.h"

#include <QtTest>

#include <array>
#include <memory>

namespace zyl::test {

using ProgramBlock = std::array<TProgramRecord, ProgramCount>;

// Values inside what each wire field carries: 16-bit presets, one-byte fields, names of at
// most 14 characters.
inline std::unique_ptr<ProgramBlock> DistinctPrograms() {
    auto programs = std::make_unique<ProgramBlock>();
    for (int i = 0; i < ProgramCount; ++i) {
        TProgramRecord& p = (*programs)[std::size_t(i)];
        p.Number = 999; // the write numbers them itself
        p.Name.SetText("PRG " + std::to_string(i + 1));
        for (int k = 0; k < StepCount; ++k) {
            TStepRecord& s = p.Steps[k];
            s.ProcessNumber = 1 + (i + k) % 16;
            s.Temperature = -99 + (i + k) % 300;
            s.Weight = 2000 - i - k;
            s.Rotation = 200 - k;
            s.Counter = 7 * k + i;
            s.Vacuum = (i + k) % 100;
            s.ExtraValue = k;
            s.VacuumPulse = (3 * k) % 201;
            s.Hours = (i + k) % 100;
            s.Minutes = (i * k) % 60;
            s.OnOffPulse = k % 2;
            s.WorkTime = std::uint16_t(65000 - 17 * i - k);
            s.PauseTime = std::uint16_t(100 * k + i);
        }
    }
    return programs;
}

// Compares what travels; work and pause times travel only in three-part programs.
inline void CompareProgram(const TProgramRecord& got, const TProgramRecord& sent, int parts) {
    QCOMPARE(QString::fromStdString(got.Name.Text()), QString::fromStdString(sent.Name.Text()));
    for (int k = 0; k < StepCount; ++k) {
        const TStepRecord& a = got.Steps[k];
        const TStepRecord& b = sent.Steps[k];
        QCOMPARE(a.ProcessNumber, b.ProcessNumber);
        QCOMPARE(a.Temperature, b.Temperature);
        QCOMPARE(a.Weight, b.Weight);
        QCOMPARE(a.Rotation, b.Rotation);
        QCOMPARE(a.Counter, b.Counter);
        QCOMPARE(a.Vacuum, b.Vacuum);
        QCOMPARE(a.ExtraValue, b.ExtraValue);
        QCOMPARE(a.VacuumPulse, b.VacuumPulse);
        QCOMPARE(a.Hours, b.Hours);
        QCOMPARE(a.Minutes, b.Minutes);
        QCOMPARE(a.OnOffPulse, b.OnOffPulse);
        QCOMPARE(int(a.WorkTime), parts == 3 ? int(b.WorkTime) : 0);
        QCOMPARE(int(a.PauseTime), parts == 3 ? int(b.PauseTime) : 0);
    }
}

} // namespace zyl::test
