#include "ui/module_view_text.h"

#include "ui/tree_text.h"

#include <paramora/parameter_types.h>

#include <locale>
#include <sstream>

std::string ModuleNameText(const ModuleTreeNode* node)
{
    if (!node)
        return {};
    std::string text;
    for (const ModuleTreeNode* ancestor = node->GetParent(); ancestor; ancestor = ancestor->GetParent()) {
        if (!ancestor->GetName().empty())
            text += ancestor->GetName() + ":";
    }
    return StripHyphenMarks(text + node->GetName());
}

std::string EntryNameText(const ModuleTreeNode* node)
{
    if (!node)
        return {};
    const ModuleTreeNode* parent = node->GetParent();
    if (parent && !parent->GetName().empty())
        return StripHyphenMarks(parent->GetName() + ":" + node->GetName());
    return StripHyphenMarks(node->GetName());
}

std::string GroupContentsText(const ModuleTreeNode* node)
{
    std::string text;
    if (node) {
        for (const ModuleTreeNode* child : node->GetChildren())
            text += child->GetName() + ";";
    }
    return StripHyphenMarks(text);
}

std::string ParameterText(const ns_param::BaseParameterType& parameter)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    const int type = parameter.getType();
    text << '|' << parameter.getComment() << '|' << type << '|';
    switch (type) {
    case ns_param::TYPE_BYTE:
    case ns_param::TYPE_INT:
        text << static_cast<long long>(parameter.getMin()) << '|' << static_cast<long long>(parameter.getMax());
        break;
    case ns_param::TYPE_FLOAT:
    case ns_param::TYPE_DOUBLE:
        text.precision(2);
        text << parameter.getMin() << '|' << parameter.getMax();
        break;
    default:
        text << '|';
        break;
    }
    return text.str();
}

std::vector<std::string> ManualFilesFor(const std::string& nameText)
{
    const auto has = [&](const char* part) { return nameText.find(part) != std::string::npos; };
    std::vector<std::string> files;
    if (has("Arithmetik") && !has("Superresolution"))
        files.push_back("Orvanta-SpecArithmetik.pdf");
    if (has("Spektren-Attributierung"))
        files.push_back("Orvanta-SpecArithmetik.pdf");
    if (has("Datenimport") || has("Datenexport"))
        files.push_back("Orvanta-ExtDatenImExport.pdf");
    if (has("Multispektral"))
        files.push_back("Orvanta-AddOnMSSens.pdf");
    if (has("Superresolution") && has("Arithmetik"))
        files.push_back("Orvanta-AddOnSSR.pdf");
    return files;
}
