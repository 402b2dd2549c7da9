#include "platform/runtime_class.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

class TestBaseForm : public QWidget {
    DECLARE_DYNAMIC(TestBaseForm)
};

class TestDerivedForm : public TestBaseForm {
    DECLARE_DYNCREATE(TestDerivedForm)
public:
    TestDerivedForm() = default;
};

} // namespace

IMPLEMENT_RUNTIMECLASS(TestBaseForm, nullptr, nullptr)
IMPLEMENT_DYNCREATE(TestDerivedForm, TestBaseForm)

TEST(RuntimeClass, CreatesTheClassOfTheRecordUnderTheParent)
{
    QWidget pane;
    QWidget* form = RUNTIME_CLASS(TestDerivedForm)->CreateObject(&pane);
    ASSERT_NE(form, nullptr);
    EXPECT_NE(dynamic_cast<TestDerivedForm*>(form), nullptr);
    EXPECT_EQ(form->parentWidget(), &pane);

    std::unique_ptr<QWidget> free(RUNTIME_CLASS(TestDerivedForm)->CreateObject());
    EXPECT_EQ(free->parentWidget(), nullptr);

    EXPECT_EQ(RUNTIME_CLASS(TestBaseForm)->CreateObject(&pane), nullptr);
}

TEST(RuntimeClass, IsDerivedFromFollowsTheBaseChain)
{
    static const CRuntimeClass unrelated{"Unrelated", nullptr, nullptr};
    struct Row {
        const CRuntimeClass* cls;
        const CRuntimeClass* base;
        bool derived;
    };
    const Row rows[] = {
        {RUNTIME_CLASS(TestDerivedForm), RUNTIME_CLASS(TestBaseForm), true},
        {RUNTIME_CLASS(TestDerivedForm), RUNTIME_CLASS(TestDerivedForm), true},
        {RUNTIME_CLASS(TestBaseForm), RUNTIME_CLASS(TestDerivedForm), false},
        {RUNTIME_CLASS(TestDerivedForm), &unrelated, false},
        {RUNTIME_CLASS(TestDerivedForm), nullptr, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.cls->m_lpszClassName) + " / " + (row.base ? row.base->m_lpszClassName : "null"));
        EXPECT_EQ(row.cls->IsDerivedFrom(row.base), row.derived);
    }
}

TEST(RuntimeClass, FindsRegisteredRecordsByExactName)
{
    EXPECT_EQ(CRuntimeClass::FromName("TestDerivedForm"), RUNTIME_CLASS(TestDerivedForm));
    EXPECT_EQ(CRuntimeClass::FromName("TestBaseForm"), RUNTIME_CLASS(TestBaseForm));
    EXPECT_EQ(CRuntimeClass::FromName("testderivedform"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("TestDerived"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName(""), nullptr);
}

TEST(RuntimeClass, RegistrarsUnregisterAndTheLatestOfOneNameWins)
{
    static const CRuntimeClass first{"ScopedForm", nullptr, nullptr};
    static const CRuntimeClass second{"ScopedForm", nullptr, nullptr};
    EXPECT_EQ(CRuntimeClass::FromName("ScopedForm"), nullptr);
    {
        CRuntimeClassRegistrar a(&first);
        EXPECT_EQ(CRuntimeClass::FromName("ScopedForm"), &first);
        {
            CRuntimeClassRegistrar b(&second);
            EXPECT_EQ(CRuntimeClass::FromName("ScopedForm"), &second);
        }
        EXPECT_EQ(CRuntimeClass::FromName("ScopedForm"), &first);
    }
    EXPECT_EQ(CRuntimeClass::FromName("ScopedForm"), nullptr);
}
