#include <gtest/gtest.h>

#include <string>

#include "job/JobRefusal.h"
#include "sheet/Cp1251.h"

namespace sheetbasis {
namespace {

JobLines linesOf(std::string_view bytes) {
    JobLines job;
    job.opened = true;
    job.text = splitJobText(bytes);
    return job;
}

struct RefusalCase {
    const char* job;  // UTF-8 unless the case converts it
    JobStatus status;
    const char* told;
};

// Every case is also read by the reader itself: the explanation must refuse what the
// reader refuses, with the same status, and take what it takes.
void expectRefusal(const RefusalCase& c, const JobLines& job) {
    const JobRefusal refusal = explainJobText(job, false);
    SheetParameters p;
    EXPECT_EQ(refusal.status, readJobEntries(job, p)) << c.job;
    EXPECT_EQ(refusal.status, c.status) << c.job;
    EXPECT_EQ(jobRefusalText(refusal), c.told) << c.job;
}

TEST(JobRefusal, TheEntryAsTypedAndWhatItsKeyTakes) {
    const RefusalCase cases[] = {
        // N-37-XXXVI spans 41..42 east, 52..52°40' north; a sheet of 1:200 000 lets an edge
        // go one sheet (1 degree, 40 minutes) beyond, and never past the opposite edge.
        {"Nom=N-37-XXXVI;Path=/rr;xFrom=52°10';", JobStatus::OutOfRange,
         "xFrom=52°10': the west edge of N-37-XXXVI must lie strictly between 40°00' and 42°00'"},
        {"Nom=N-37-XXXVI;Path=/rr;yTo=53°20';", JobStatus::OutOfRange,
         "yTo=53°20': the north edge of N-37-XXXVI must lie strictly between 52°00' and 53°20'"},
        // Both edges given and crossed: the west one is blamed, against the east one given.
        {"Nom=N-37-XXXVI;Path=/rr;xFrom=41°30';xTo=41°10';", JobStatus::OutOfRange,
         "xFrom=41°30': the west edge of N-37-XXXVI must lie strictly between 40°00' and 41°10'"},
        {"Nom=N-37;Path=/rr;yFrom=56;", JobStatus::OutOfRange,
         "yFrom=56: the south edge of N-37 must lie strictly between 48°00' and 56°00'"},
        {"Nom=N-37;Path=/rr;xTo=48°30';MapScale=2500;", JobStatus::OutOfRange,
         "xTo=48°30': the east edge of N-37 must lie strictly between 36°00' and 48°00'"},
        {"Nom=N-37-XXXVII;Path=/rr;", JobStatus::EntryRejected,
         "Nom=N-37-XXXVII: sheets of a million sheet run I..XXXVI (01..36 without dashes)"},
        {"Nom=N-31;Path=/rr;", JobStatus::EntryRejected,
         "Nom=N-31: outside the rows K..U and columns 33..60, 01, 02 that the program covers"},
        {"Nom=N-37;MapScale=200;Path=/rr;", JobStatus::EntryRejected,
         "MapScale=200: the 1:1 000 000 series draws at 1000, 2500 or 5000"},
        {"MapScale=500;Nom=N-37-I;Path=/rr;", JobStatus::EntryRejected,
         "MapScale=500: MapScale stands after Nom, whose series it needs"},
        {"Nom=N-37;Path=/rr;xfrom=37;", JobStatus::EntryRejected,
         "xfrom=37: no such key; did you mean xFrom"},
        {"Nom=N-37;Path=/rr;Colour=red;", JobStatus::EntryRejected,
         "Colour=red: no such key; the keys are CS Nom Path MapScale xFrom yFrom xTo yTo "
         "ParallelStep MeridianStep xMinute yMinute"},
        {"Nom=N-37;Path=/rr;Nom=N-38;", JobStatus::EntryRejected, "Nom=N-38: given twice"},
        {"Nom=N-37;Path=/rr;ParallelStep=0°00';", JobStatus::EntryRejected,
         "ParallelStep=0°00': an angle other than 0 in whole degrees and minutes, such as 0°20' "
         "or 1"},
        {"Nom=N-37;Path=/rr;yFrom=52.5;", JobStatus::EntryRejected,
         "yFrom=52.5: whole degrees and minutes 0..59, such as 52°10', \"52 10'\" or 52"},
        {"Nom=N-37;Path=ab;", JobStatus::EntryRejected,
         "Path=ab: a folder of 3 characters or more, at most 255 with its closing \"/\""},
        {"Nom=N-37;Path=/rr; trailing words", JobStatus::EntryRejected,
         "trailing words: an entry is a key, \"=\", a value and \";\""},
        {"Nom=N-37;", JobStatus::Incomplete,
         "no Path entry names the result folder, such as Path=/maps/N-37-XXXVI/;"},
        {"Path=/rr;\n\n", JobStatus::Incomplete,
         "no Nom entry names the sheet, such as Nom=N-37-XXXVI;"},
        // Taken: an edge just inside its range, a name typed in Cyrillic look-alikes, CS twice.
        {"Nom=Н-37-ХХХVI;Path=/rr;xFrom=40°01';CS=CK-95;CS=CK-42;", JobStatus::Read, ""},
    };
    for (const RefusalCase& c : cases) expectRefusal(c, linesOf(c.job));
}

TEST(JobRefusal, AWindows1251JobIsQuotedInUtf8) {
    const RefusalCase c{"Nom=Н-37-ХХХVII;Path=/rr;", JobStatus::EntryRejected,
                        "Nom=Н-37-ХХХVII: sheets of a million sheet run I..XXXVI (01..36 "
                        "without dashes)"};
    const JobLines job = linesOf(cp1251(c.job));
    ASSERT_EQ(job.text.encoding, JobEncoding::Windows1251);
    expectRefusal(c, job);
}

}  // namespace
}  // namespace sheetbasis
