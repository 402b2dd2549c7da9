#include "support/temp_dir.h"

#include <paramora/parameter_io.h>
#include <paramora/paramora.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <climits>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace ns_param;
using ns_xandril::XMLEnumClass;
using ns_xandril::XMLReadModul;
using ns_xandril::XMLWriteModul;
using test_support::TempDir;

namespace {

XMLEnumClass interpolators(int index)
{
    XMLEnumClass e;
    e.addEntry("Linear");
    e.addEntry("Kubisch");
    e.addEntry("Nächster Nachbar");
    e.setIndex(index);
    return e;
}

// Writes a file holding the group `group` with what body writes and then the key
// "After", and opens it in reader, which then stands in that group.
void writeAndOpen(const std::function<void(XMLWriteModul&)>& body, XMLReadModul& reader, const TempDir& dir,
                  const std::string& group = "Outer")
{
    const std::string path = dir.file("params.xml");
    XMLWriteModul writer;
    writer.enterGroup(group);
    body(writer);
    writer.writeString("After", "", "after");
    writer.leaveGroup();
    ASSERT_TRUE(writer.writeToFile(path));
    reader.readFromFile(path);
    ASSERT_TRUE(reader.enterGroup(group));
}

void roundTrip(const Paramora& source, XMLReadModul& reader, const TempDir& dir)
{
    writeAndOpen([&](XMLWriteModul& writer) { source.addToXML(writer); }, reader, dir);
}

// The reader still stands in the group writeAndOpen opened.
bool readerStandsInGroup(XMLReadModul& reader)
{
    std::string after;
    return reader.readString("After", after);
}

std::vector<double> arrayOf(Paramora& p, const std::string& name)
{
    const auto* a = dynamic_cast<const Double1DArrayParameterType*>(p.getParameter(name));
    if (a == nullptr)
        return {};
    return std::vector<double>(a->getValues(), a->getValues() + a->getCount());
}

// A container with every kind, extreme values and texts that need care in XML.
void fillAllKinds(Paramora& p, Paramora& nested, Paramora& inner, Paramora& detached)
{
    p.addBoolParameter("Bool", "Schalter", true, false);
    p.addByteParameter("Byte", "", 200, 10, 250, 0);
    p.addIntParameter("Int", "Ordnung <&>", INT_MIN, INT_MIN, INT_MAX, 0);
    p.addFloatParameter("Float", "", 0.1f, -FLT_MAX, FLT_MAX, 0.0f);
    p.addDoubleParameter("Double", "Wert\r\nzweite Zeile", -1.7976931348623157e308, -DBL_MAX, DBL_MAX, 0.0);
    p.addStringParameter("String", "", "  Grün\t\"x\"\r\n ", "");
    p.addStringParameter("Empty", "", "", "");
    p.addEnumParameter("Enum", "Verfahren", interpolators(2));
    const double values[] = {380.5, -0.0, 1e-300, DBL_MAX};
    p.addDouble1DArrayParameter("Doubles", "Stützstellen", 4, values, 0.0);
    p.addDouble1DArrayParameter("NoDoubles", "", 0, nullptr, 0.0);
    const unsigned char bytes[] = {255, 0, 7};
    p.addByte1DArrayParameter("Bytes", "", 3, bytes, 0);

    nested.addIntParameter("SampleDist", "", 5, 1, 16, 5);
    inner.addStringParameter("Deep", "", "tief", "");
    nested.addContainerParameter("InnerContainer", "", &inner);
    p.addContainerParameter("Nested", "Plot", &nested);
    p.addContainerParameter("Detached", "", &detached);
    p.setContainerParameter("Detached", nullptr);
}

} // namespace

TEST(ParamoraXml, GetFromXmlRecreatesEveryKind)
{
    Paramora source("ObjectData");
    Paramora nested("MainSpecViewContainer");
    Paramora inner("Inner");
    Paramora detached("Detached");
    fillAllKinds(source, nested, inner, detached);

    TempDir dir;
    XMLReadModul reader;
    roundTrip(source, reader, dir);
    Paramora read("ObjectData");
    ASSERT_TRUE(read.getFromXML(reader));

    std::vector<std::string> names;
    for (auto it = read.getFirstParameter(); it != read.getLastParameter(); ++it)
        names.push_back(it->first);
    EXPECT_EQ(names, (std::vector<std::string>{"Bool", "Byte", "Bytes", "Double", "Doubles", "Empty", "Enum", "Float",
                                               "Int", "Nested", "NoDoubles", "String"}))
        << "the detached container is not written";

    for (auto it = source.getFirstParameter(); it != source.getLastParameter(); ++it) {
        SCOPED_TRACE(it->first);
        if (it->first == "Detached")
            continue;
        const BaseParameterType* copy = read.getParameter(it->first);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->getType(), it->second->getType());
        EXPECT_EQ(copy->getComment(), it->second->getComment());
        EXPECT_EQ(copy->getValueText(), it->second->getValueText());
        EXPECT_EQ(copy->getMin(), it->second->getMin());
        EXPECT_EQ(copy->getMax(), it->second->getMax());
    }
    EXPECT_EQ(*read.getDoubleParameter("Double"), -1.7976931348623157e308);
    EXPECT_EQ(*read.getFloatParameter("Float"), 0.1f);
    EXPECT_EQ(*read.getStringParameter("String"), "  Grün\t\"x\"\r\n ");
    EXPECT_EQ(arrayOf(read, "Doubles"), arrayOf(source, "Doubles"));
    EXPECT_TRUE(std::signbit(read.getDouble1DArrayParameter("Doubles")[1]));
    ASSERT_NE(read.getDouble1DArrayParameter("NoDoubles"), nullptr) << "an empty array is still a parameter";

    const XMLEnumClass* e = read.getEnumParameter("Enum");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->getEntryCount(), 3);
    EXPECT_EQ(e->getIndex(), 2);
    EXPECT_EQ(e->getEntry(2), "Nächster Nachbar");

    // Nested containers come back as containers of their own, two levels deep.
    Paramora* readNested = read.getContainerParameter("Nested");
    ASSERT_NE(readNested, nullptr);
    EXPECT_NE(readNested, &nested);
    EXPECT_EQ(readNested->getName(), "MainSpecViewContainer");
    EXPECT_EQ(*readNested->getIntParameter("SampleDist"), 5);
    Paramora* readInner = readNested->getContainerParameter("InnerContainer");
    ASSERT_NE(readInner, nullptr);
    EXPECT_EQ(*readInner->getStringParameter("Deep"), "tief");

    EXPECT_TRUE(readerStandsInGroup(reader));
}

TEST(ParamoraXml, GetFromXmlReplacesOtherKindsAndKeepsParametersTheFileLacks)
{
    Paramora source("P");
    source.addIntParameter("A", "neu", 7, 0, 9, 0);
    source.addStringParameter("B", "", "text", "");
    TempDir dir;
    XMLReadModul reader;
    roundTrip(source, reader, dir);

    Paramora target("P");
    int* a = target.addIntParameter("A", "alt", 1, 0, 1, 0);
    double* b = target.addDoubleParameter("B", "", 2.5, 0, 10, 0);
    target.addBoolParameter("C", "", true, false);
    ASSERT_TRUE(target.getFromXML(reader));

    EXPECT_EQ(target.getIntParameter("A"), a) << "same kind: read in place";
    EXPECT_EQ(*a, 7);
    EXPECT_EQ(target.getParameter("A")->getComment(), "neu");
    EXPECT_EQ(target.getParameter("A")->getMax(), 9);
    EXPECT_EQ(target.getDoubleParameter("B"), nullptr);
    EXPECT_EQ(*target.getStringParameter("B"), "text");
    EXPECT_EQ(*b, 2.5) << "the replaced parameter's storage is still there";
    EXPECT_NE(target.getBoolParameter("C"), nullptr);

    Paramora other("Other");
    EXPECT_FALSE(other.getFromXML(reader));
}

TEST(ParamoraXml, UpdateFromXmlFillsOnlyRegisteredParametersThatFit)
{
    Paramora source("Parameters");
    source.addIntParameter("Known", "", 42, 0, 100, 0);
    source.addIntParameter("WrongKind", "", 1, 0, 1, 0);
    source.addIntParameter("Unknown", "", 3, 0, 9, 0);
    source.addEnumParameter("Enum", "", interpolators(2));
    const double three[] = {1, 2, 3};
    source.addDouble1DArrayParameter("Array", "", 3, three, 0);
    source.addDouble1DArrayParameter("SameCount", "", 3, three, 0);
    source.addStringParameter("Text", "gespeichert", "neu", "");
    source.addDoubleParameter("Range", "", 50, -5, 500, 0);
    TempDir dir;
    XMLReadModul reader;
    roundTrip(source, reader, dir);

    Paramora target("Parameters");
    int* known = target.addIntParameter("Known", "", 0, 0, 10, 0);
    double* wrongKind = target.addDoubleParameter("WrongKind", "", 0.5, 0, 1, 0);
    XMLEnumClass twoEntries;
    twoEntries.addEntry("Linear");
    twoEntries.addEntry("Kubisch");
    twoEntries.setIndex(1);
    XMLEnumClass* e = target.addEnumParameter("Enum", "", twoEntries);
    const double two[] = {9, 9};
    double* array = target.addDouble1DArrayParameter("Array", "", 2, two, 0);
    const double zeros[] = {0, 0, 0};
    double* sameCount = target.addDouble1DArrayParameter("SameCount", "", 3, zeros, 0);
    std::string* text = target.addStringParameter("Text", "registriert", "alt", "");
    double* range = target.addDoubleParameter("Range", "", 1, 0, 10, 0);
    target.addBoolParameter("NotInFile", "", true, false);

    target.updateFromXML(reader);

    EXPECT_EQ(*known, 42) << "values outside the registered range are not clamped";
    EXPECT_EQ(*wrongKind, 0.5);
    EXPECT_EQ(target.getParameter("Unknown"), nullptr);
    EXPECT_EQ(e->getIndex(), 1) << "index 2 is outside the two registered entries";
    EXPECT_EQ(e->getEntryCount(), 2);
    EXPECT_EQ(arrayOf(target, "Array"), (std::vector<double>{9, 9}));
    EXPECT_EQ(target.getDouble1DArrayParameter("SameCount"), sameCount);
    EXPECT_EQ(arrayOf(target, "SameCount"), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(array, target.getDouble1DArrayParameter("Array"));
    EXPECT_EQ(*text, "neu");
    EXPECT_EQ(target.getParameter("Text")->getComment(), "registriert");
    EXPECT_EQ(*range, 50);
    EXPECT_EQ(target.getParameter("Range")->getMax(), 10);
    EXPECT_TRUE(*target.getBoolParameter("NotInFile"));
}

TEST(ParamoraXml, UpdateFromXmlThrowsWhenItsGroupIsMissing)
{
    Paramora source("WorkspaceParams");
    source.addIntParameter("A", "", 1, 0, 1, 0);
    TempDir dir;
    XMLReadModul reader;
    roundTrip(source, reader, dir);

    Paramora other("Missing");
    int* a = other.addIntParameter("A", "", 5, 0, 9, 0);
    EXPECT_THROW(other.updateFromXML(reader), std::exception);
    EXPECT_THROW(other.updateFromXML(reader), ParamoraException);
    EXPECT_EQ(*a, 5);
    EXPECT_TRUE(readerStandsInGroup(reader));
}

TEST(ParamoraXml, UpdateReachesNestedContainersInPlaceAndSkipsDetachedOnes)
{
    Paramora plot("MainSpecViewContainer");
    plot.addIntParameter("SampleDist", "", 9, 1, 16, 5);
    Paramora workspace("WorkspaceParams");
    workspace.addContainerParameter("MainSpecViewContainer", "", &plot);
    TempDir dir;
    XMLReadModul reader;
    roundTrip(workspace, reader, dir);

    Paramora newPlot("MainSpecViewContainer");
    int* sampleDist = newPlot.addIntParameter("SampleDist", "", 5, 1, 16, 5);
    Paramora newWorkspace("WorkspaceParams");
    newWorkspace.addContainerParameter("MainSpecViewContainer", "", &newPlot);
    newWorkspace.updateFromXML(reader);
    EXPECT_EQ(*sampleDist, 9);

    *sampleDist = 3;
    newWorkspace.setContainerParameter("MainSpecViewContainer", nullptr);
    EXPECT_NO_THROW(newWorkspace.updateFromXML(reader));
    EXPECT_EQ(*sampleDist, 3);
    EXPECT_EQ(newWorkspace.getContainerParameter("MainSpecViewContainer"), nullptr);
}

TEST(ParamoraPointers, StayValidForTheContainersLife)
{
    Paramora p("P");
    int* i = p.addIntParameter("M", "", 1, 0, 9, 0);
    double* d = p.addDoubleParameter("D", "", 1.5, 0, 9, 0);
    const double three[] = {1, 2, 3};
    double* arr = p.addDouble1DArrayParameter("Arr", "", 3, three, 0);
    for (int k = 0; k < 1000; ++k)
        p.addIntParameter("N" + std::to_string(k), "", k, 0, 1000, 0);

    // Re-adding a name of the same kind reuses its storage.
    EXPECT_EQ(p.addIntParameter("M", "neu", 4, 0, 9, 0), i);
    EXPECT_EQ(*i, 4);
    EXPECT_EQ(p.getParameter("M")->getComment(), "neu");
    const double other[] = {7, 8, 9};
    EXPECT_EQ(p.addDouble1DArrayParameter("Arr", "", 3, other, 0), arr);
    EXPECT_EQ(arr[2], 9);

    // Sets and loads are seen through the pointers.
    EXPECT_TRUE(p.setIntParameter("M", 6));
    EXPECT_EQ(*i, 6);
    *d = 2.5;
    EXPECT_EQ(*p.getDoubleParameter("D"), 2.5);

    // Another kind or another count gets new storage; the old stays readable.
    EXPECT_NE(p.addStringParameter("D", "", "x", ""), nullptr);
    EXPECT_EQ(*d, 2.5);
    double* longer = p.addDouble1DArrayParameter("Arr", "", 5, nullptr, 0.25);
    EXPECT_EQ(arr[2], 9);
    EXPECT_EQ(arrayOf(p, "Arr"), (std::vector<double>(5, 0.25)));
    EXPECT_EQ(p.addDouble1DArrayParameter("Arr", "", 2, nullptr, 1.0), longer) << "shrinking stays in place";

    // Assignment copies into same-name, same-kind parameters in place and drops the rest.
    Paramora source("Q");
    source.addIntParameter("M", "", 11, 0, 20, 0);
    p = source;
    EXPECT_EQ(p.getIntParameter("M"), i);
    EXPECT_EQ(*i, 11);
    EXPECT_EQ(p.getParameter("N1"), nullptr);
    EXPECT_EQ(p.getName(), "Q");
    EXPECT_EQ(longer[0], 1.0) << "dropped parameters stay readable";
}

TEST(ParamoraCopies, AreDeepAndAssignBorrowedContainersInPlace)
{
    Paramora nested("Nested");
    int* nestedValue = nested.addIntParameter("V", "", 1, 0, 9, 0);
    Paramora p("P");
    p.addContainerParameter("Sub", "Unter", &nested);
    const double values[] = {1, 2};
    p.addDouble1DArrayParameter("Arr", "", 2, values, 0);
    p.addEnumParameter("Enum", "", interpolators(1));

    Paramora copy(p);
    ASSERT_NE(copy.getContainerParameter("Sub"), nullptr);
    EXPECT_NE(copy.getContainerParameter("Sub"), &nested);
    *copy.getContainerParameter("Sub")->getIntParameter("V") = 7;
    copy.getDouble1DArrayParameter("Arr")[0] = 5;
    copy.getEnumParameter("Enum")->setIndex(0);
    EXPECT_EQ(*nestedValue, 1);
    EXPECT_EQ(p.getDouble1DArrayParameter("Arr")[0], 1);
    EXPECT_EQ(p.getEnumParameter("Enum")->getIndex(), 1);

    // Assigning the copy back writes into the borrowed container itself.
    p = copy;
    EXPECT_EQ(p.getContainerParameter("Sub"), &nested);
    EXPECT_EQ(*nestedValue, 7);
    EXPECT_EQ(p.getParameter("Sub")->getComment(), "Unter");
}

TEST(ParamoraContainers, BorrowDetachAndRefuseCycles)
{
    auto nested = std::make_unique<Paramora>("Nested");
    nested->addIntParameter("V", "", 1, 0, 9, 0);
    {
        Paramora p("P");
        EXPECT_EQ(p.addContainerParameter("Sub", "", nested.get()), nested.get());
        EXPECT_EQ(p.getParameter("Sub")->getType(), TYPE_GROUP);
        EXPECT_EQ(p.addContainerParameter("Self", "", &p), nullptr);
        EXPECT_EQ(p.getParameter("Self"), nullptr);
        EXPECT_EQ(nested->addContainerParameter("Back", "", &p), nullptr) << "p already holds nested";
        EXPECT_FALSE(p.setContainerParameter("Missing", nullptr));
        EXPECT_TRUE(p.setContainerParameter("Sub", nullptr));
        EXPECT_EQ(p.getContainerParameter("Sub"), nullptr);
        EXPECT_TRUE(p.setContainerParameter("Sub", nested.get()));
    }
    // The container did not delete what it borrowed.
    EXPECT_EQ(*nested->getIntParameter("V"), 1);
}

TEST(ParamoraEnums, KeepTheirOwnCopy)
{
    Paramora p("P");
    XMLEnumClass entries = interpolators(1);
    XMLEnumClass* stored = p.addEnumParameter("Interpolator", "", entries);
    entries.addEntry("Später");
    entries.setIndex(3);
    EXPECT_EQ(stored->getEntryCount(), 3);
    EXPECT_EQ(stored->getIndex(), 1);
    EXPECT_EQ(p.getEnumParameter("Interpolator"), stored);

    EXPECT_TRUE(p.setEnumParameter("Interpolator", entries));
    EXPECT_EQ(p.getEnumParameter("Interpolator"), stored) << "set copies in place";
    EXPECT_EQ(stored->getEntryCount(), 4);
    EXPECT_EQ(p.getParameter("Interpolator")->getValueText(), "Später");
    EXPECT_EQ(p.getParameter("Interpolator")->getType(), TYPE_ENUM);
}

TEST(ParamoraAccess, KindsTypeCodesRangesAndRefusals)
{
    Paramora p("P");
    p.addBoolParameter("Bool", "", true, false);
    p.addByteParameter("Byte", "", 5, 1, 200, 0);
    p.addIntParameter("Int", "", -5, -10, 10, 0);
    p.addFloatParameter("Float", "", 1.5f, 0.5f, 2.5f, 0);
    p.addDoubleParameter("Double", "", 0, -DBL_MAX, DBL_MAX, 0);
    p.addStringParameter("String", "", "s", "");
    p.addByte1DArrayParameter("Bytes", "", 3, nullptr, 255);
    p.addDouble1DArrayParameter("Doubles", "", 2, nullptr, 0.5);

    const struct {
        const char* name;
        int type;
        double min;
        double max;
    } rows[] = {
        {"Bool", TYPE_BOOL, 0, 0},        {"Byte", TYPE_BYTE, 1, 200},
        {"Int", TYPE_INT, -10, 10},       {"Float", TYPE_FLOAT, 0.5, 2.5},
        {"Double", TYPE_DOUBLE, -DBL_MAX, DBL_MAX}, {"String", TYPE_STRING, 0, 0},
        {"Bytes", TYPE_BYTE_1D_ARRAY, 0, 0}, {"Doubles", TYPE_DOUBLE_1D_ARRAY, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const BaseParameterType* param = p.getParameter(row.name);
        ASSERT_NE(param, nullptr);
        EXPECT_EQ(param->getName(), row.name);
        EXPECT_EQ(param->getType(), row.type);
        EXPECT_EQ(param->getMin(), row.min);
        EXPECT_EQ(param->getMax(), row.max);
    }
    EXPECT_EQ(p.getParameter("missing"), nullptr);

    EXPECT_TRUE(p.setByteParameter("Byte", 250));
    EXPECT_TRUE(p.setFloatParameter("Float", 9.5f)) << "no clamping";
    EXPECT_TRUE(p.setBoolParameter("Bool", false));
    EXPECT_TRUE(p.setStringParameter("String", "t"));
    EXPECT_TRUE(p.setDoubleParameter("Double", -1));
    EXPECT_EQ(*p.getByteParameter("Byte"), 250);
    EXPECT_EQ(*p.getFloatParameter("Float"), 9.5f);
    EXPECT_FALSE(*p.getBoolParameter("Bool"));
    EXPECT_EQ(*p.getStringParameter("String"), "t");
    EXPECT_EQ(*p.getDoubleParameter("Double"), -1);

    // Wrong kinds and unknown names: null and false, nothing created.
    EXPECT_EQ(p.getIntParameter("Double"), nullptr);
    EXPECT_EQ(p.getDouble1DArrayParameter("Bytes"), nullptr);
    EXPECT_EQ(p.getDouble1DArrayParameter("missing"), nullptr);
    EXPECT_FALSE(p.setIntParameter("Double", 1));
    EXPECT_FALSE(p.setDoubleParameter("missing", 1));
    EXPECT_EQ(p.getParameter("missing"), nullptr);

    const auto* bytes = dynamic_cast<const Byte1DArrayParameterType*>(p.getParameter("Bytes"));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes->getCount(), 3);
    EXPECT_EQ(p.getByte1DArrayParameter("Bytes")[2], 255);
}

TEST(ParamoraValueText, OneFormPerKindWithTheDecimalSeparatorGiven)
{
    Paramora p("P");
    p.addDoubleParameter("Double", "", 1.5, 0, 0, 0);
    p.addDoubleParameter("Small", "", 1.5e-7, 0, 0, 0);
    p.addDoubleParameter("Max", "", DBL_MAX, 0, 0, 0);
    p.addDoubleParameter("Whole", "", 380, 0, 0, 0);
    p.addFloatParameter("Float", "", 0.1f, 0, 0, 0);
    p.addIntParameter("Int", "", -3, 0, 0, 0);
    p.addByteParameter("Byte", "", 255, 0, 0, 0);
    p.addBoolParameter("Bool", "", true, false);
    p.addStringParameter("String", "", "a.b c", "");
    p.addEnumParameter("Enum", "", interpolators(1));
    const double values[] = {1.5, 2.5};
    p.addDouble1DArrayParameter("Doubles", "", 2, values, 0);
    p.addDouble1DArrayParameter("NoDoubles", "", 0, nullptr, 0);
    const unsigned char bytes[] = {1, 20};
    p.addByte1DArrayParameter("Bytes", "", 2, bytes, 0);
    Paramora nested("N");
    p.addContainerParameter("Nested", "", &nested);

    const struct {
        const char* name;
        const char* point;
        const char* comma;
    } rows[] = {
        {"Double", "1.5", "1,5"},
        {"Small", "1.5e-07", "1,5e-07"},
        {"Max", "1.7976931348623157e+308", "1,7976931348623157e+308"},
        {"Whole", "380", "380"},
        {"Float", "0.1", "0,1"},
        {"Int", "-3", "-3"},
        {"Byte", "255", "255"},
        {"Bool", "1", "1"},
        {"String", "a.b c", "a.b c"},
        {"Enum", "Kubisch", "Kubisch"},
        {"Doubles", "1.5 2.5 ", "1,5 2,5 "},
        {"NoDoubles", "", ""},
        {"Bytes", "1 20 ", "1 20 "},
        {"Nested", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const BaseParameterType* param = p.getParameter(row.name);
        ASSERT_NE(param, nullptr);
        EXPECT_EQ(param->getValueText(), row.point);
        EXPECT_EQ(param->getValueText(','), row.comma);
    }
}

namespace {

// A module-like object with data of its own beside its parameters.
class Module : public ParameterIO {
public:
    explicit Module(const std::string& type)
        : ParameterIO(type, "Parameters")
    {
        value = getParameters().addIntParameter("Wert", "", 0, 0, 100, 0);
    }
    int* value;
    std::vector<std::string> list;
    int getHookCalls = 0;

protected:
    void userAddToXML(XMLWriteModul& writer) override
    {
        writer.enterGroup("LEDLists");
        for (const auto& entry : list) {
            writer.enterGroup("LED");
            writer.writeString("Name", "", entry);
            writer.leaveGroup();
        }
        writer.leaveGroup();
    }
    void userUpdateFromXML(XMLReadModul& reader) override
    {
        if (!reader.enterGroup("LEDLists"))
            return;
        if (reader.enterFirstGroup("LED")) {
            do {
                std::string name;
                reader.readString("Name", name);
                list.push_back(name);
                reader.leaveGroup();
            } while (reader.enterNextGroup());
        }
        reader.leaveGroup();
    }
    void userGetFromXML(XMLReadModul& reader) override
    {
        ++getHookCalls;
        userUpdateFromXML(reader);
    }
};

} // namespace

TEST(ParameterIOXml, ModulesOfOneTypeNameGetTheirOwnValuesBack)
{
    Module first("Save_TabbedData");
    Module other("Save_SaveXML");
    Module second("Save_TabbedData");
    *first.value = 1;
    *other.value = 2;
    *second.value = 3;
    first.list = {"LED A", "LED B"};
    second.list = {"LED C"};

    TempDir dir;
    const auto writeModules = [&](XMLWriteModul& writer) {
        for (Module* m : {&first, &other, &second})
            m->addToXML(writer);
    };
    XMLReadModul reader;
    writeAndOpen(writeModules, reader, dir, "Modules");
    Module readFirst("Save_TabbedData");
    Module readOther("Save_SaveXML");
    Module readSecond("Save_TabbedData");
    Module readThird("Save_TabbedData");
    for (Module* m : {&readFirst, &readOther, &readSecond})
        m->updateFromXML(reader);
    EXPECT_THROW(readThird.updateFromXML(reader), std::exception) << "only two groups of that name";

    EXPECT_EQ(*readFirst.value, 1);
    EXPECT_EQ(*readOther.value, 2);
    EXPECT_EQ(*readSecond.value, 3);
    EXPECT_EQ(readFirst.list, first.list);
    EXPECT_EQ(readSecond.list, second.list);
    EXPECT_EQ(*readThird.value, 0);
    EXPECT_TRUE(readerStandsInGroup(reader)) << "every call left the reader in Modules";
    EXPECT_EQ(readFirst.getClassName(), "Save_TabbedData");

    // Recreating reads the class group and calls the recreate hook.
    XMLReadModul again;
    writeAndOpen(writeModules, again, dir, "Modules");
    Module fresh("Save_SaveXML");
    fresh.getFromXML(again);
    EXPECT_EQ(*fresh.getParameters().getIntParameter("Wert"), 2);
    EXPECT_EQ(fresh.getHookCalls, 1);
}

TEST(ParameterIOXml, MissingContainerGroupThrowsAndLeavesTheReaderInPlace)
{
    TempDir dir;
    XMLReadModul reader;
    writeAndOpen(
        [](XMLWriteModul& writer) {
            writer.enterGroup("Calc");
            writer.enterGroup("NotParameters");
            writer.leaveGroup();
            writer.leaveGroup();
        },
        reader, dir, "Modules");
    Module m("Calc");
    EXPECT_THROW(m.updateFromXML(reader), ParamoraException);
    EXPECT_TRUE(readerStandsInGroup(reader));
}

namespace {

// A container "L0" holding a chain of `levels` nested containers; the innermost holds the
// string "Tiefe" with the value "unten".
std::string nestedContainers(int levels)
{
    std::string text = "<xandril version=\"1\">";
    for (int i = 0; i < levels; ++i)
        text += "<group name=\"L" + std::to_string(i) + "\"><group name=\"Parameter\"><string key=\"Name\">K</string>"
                "<int key=\"Type\">1</int><string key=\"Value\">L" + std::to_string(i + 1) + "</string>";
    text += "<group name=\"L" + std::to_string(levels) + "\"><group name=\"Parameter\"><string key=\"Name\">Tiefe"
            "</string><int key=\"Type\">6</int><string key=\"Value\">unten</string></group></group>";
    for (int i = 0; i < levels; ++i)
        text += "</group></group>";
    return text + "</xandril>";
}

} // namespace

TEST(ParamoraLimits, NestedContainersLoadUpToTheGroupLimitAndAreRefusedBeyond)
{
    // Each container takes two group levels (its own and its parameter's).
    const int deepest = (ns_xandril::kMaxNesting - 2) / 2;
    const struct {
        int levels;
        bool accepted;
    } rows[] = {{1, true}, {deepest, true}, {deepest + 1, false}, {14000, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.levels);
        Paramora container("L0");
        container.addIntParameter("Alt", "", 1, 0, 9, 0);
        XMLReadModul reader;
        try {
            reader.readFromMemory(nestedContainers(row.levels), "tief.xml");
        } catch (const ns_xandril::XMLException& e) {
            EXPECT_FALSE(row.accepted) << e.what();
            EXPECT_NE(std::string(e.what()).find("nest deeper"), std::string::npos) << e.what();
            continue;
        }
        ASSERT_TRUE(row.accepted);
        ASSERT_TRUE(container.getFromXML(reader));
        EXPECT_NE(container.getIntParameter("Alt"), nullptr);
        Paramora* level = &container;
        for (int i = 0; i < row.levels; ++i) {
            level = level->getContainerParameter("K");
            ASSERT_NE(level, nullptr) << "level " << i + 1;
            EXPECT_EQ(level->getName(), "L" + std::to_string(i + 1));
        }
        ASSERT_NE(level->getStringParameter("Tiefe"), nullptr);
        EXPECT_EQ(*level->getStringParameter("Tiefe"), "unten");

        // Written again, the chain reads back as it was.
        TempDir dir;
        XMLWriteModul writer;
        container.addToXML(writer);
        ASSERT_TRUE(writer.writeToFile(dir.file("again.xml")));
        XMLReadModul again;
        again.readFromFile(dir.file("again.xml"));
        Paramora copy("L0");
        ASSERT_TRUE(copy.getFromXML(again));
        level = &copy;
        for (int i = 0; i < row.levels && level != nullptr; ++i)
            level = level->getContainerParameter("K");
        ASSERT_NE(level, nullptr);
        EXPECT_NE(level->getStringParameter("Tiefe"), nullptr);
    }
}
