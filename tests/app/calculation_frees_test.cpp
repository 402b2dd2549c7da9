// The document's calculation bracket holds the trees' frees: a spectrum an operation replaces
// stays readable until the outermost calculation ends, also when an exception from an event
// handled during the run has been reported meanwhile (the run's own bracket ends it).
#include "app/velmont_doc.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class CountedSpectrum : public Spectrum {
public:
    CountedSpectrum(const std::string& name, int& deleted) : m_deleted(deleted) { SetName(name); }
    ~CountedSpectrum() override { ++m_deleted; }

private:
    int& m_deleted;
};

TEST(DocumentCalculation, ReplacedSpectraAreFreedWhenTheOutermostCalculationEnds)
{
    const struct {
        const char* what;
        std::function<void(CVelmontDoc&, const int&)> end;
    } ends[] = {
        {"the outermost end", [](CVelmontDoc& doc, const int&) { doc.EndCalculation(); }},
        {"an exception reported first",
         [](CVelmontDoc& doc, const int& deleted) {
             doc.ReportException("Test");
             EXPECT_EQ(doc.GetCalculationDepth(), 1);
             EXPECT_EQ(deleted, 0) << "the run goes on and may still read it";
             doc.EndCalculation();
         }},
    };
    for (const auto& end : ends) {
        SCOPED_TRACE(end.what);
        CVelmontDoc doc;
        int deleted = 0;
        ASSERT_TRUE(doc.GetSpectrumTree()->AddInserter(new CountedSpectrum("G:a", deleted)));
        doc.StartCalculation();
        doc.StartCalculation();
        Spectrum* old = doc.GetSpectrumTree()->GetInserter("G:a");
        ASSERT_TRUE(doc.GetSpectrumTree()->AddInserter(new CountedSpectrum("G:a", deleted)));
        EXPECT_NE(doc.GetSpectrumTree()->GetInserter("G:a"), old);
        EXPECT_EQ(doc.GetSpectrumTree()->GetInserters().size(), 1u);
        EXPECT_EQ(old->GetName(), "G:a");
        EXPECT_EQ(deleted, 0);
        doc.EndCalculation();
        EXPECT_EQ(deleted, 0) << "an inner end keeps it";
        end.end(doc, deleted);
        EXPECT_EQ(doc.GetCalculationDepth(), 0);
        EXPECT_EQ(deleted, 1);
    }
}

} // namespace
