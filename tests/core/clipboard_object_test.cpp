#include "core/clipboard_object.h"

#include <gtest/gtest.h>

TEST(ClipboardObject, CopiesAreDeep)
{
    ClipboardObject original;
    original.SetName("Daten:Messung");
    original.SetMarked(true);
    const double values[] = {1.5, 2.5, 3.5};
    original.GetParameters().addDouble1DArrayParameter("ClpValues", "Werte", 3, values, 0.0);
    original.GetParameters().addStringParameter("ClpRefs", "Bezüge", "A;B", "");

    ClipboardObject copy(original);
    EXPECT_EQ(copy.GetName(), "Daten:Messung");
    EXPECT_TRUE(copy.IsMarked());
    copy.GetParameters().setStringParameter("ClpRefs", "C");
    copy.GetParameters().getDouble1DArrayParameter("ClpValues")[1] = -1.0;
    EXPECT_EQ(*original.GetParameters().getStringParameter("ClpRefs"), "A;B");
    EXPECT_EQ(original.GetParameters().getDouble1DArrayParameter("ClpValues")[1], 2.5);

    ClipboardObject assigned;
    assigned = original;
    EXPECT_EQ(*assigned.GetParameters().getStringParameter("ClpRefs"), "A;B");
    assigned.GetParameters().setStringParameter("ClpRefs", "D");
    EXPECT_EQ(*original.GetParameters().getStringParameter("ClpRefs"), "A;B");
}

TEST(ClipboardObject, StandsInTheClipboardTreeUnderItsLastLevel)
{
    ClipboardTree tree;
    auto* object = new ClipboardObject;
    object->SetName("Daten:Reihe 1:Messung");
    ASSERT_TRUE(tree.AddInserter(object));
    ClipboardTree::TreeNode* node = tree.GetNodeByName("Daten:Reihe 1:Messung", false, false);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetName(), "Messung");
    EXPECT_EQ(node->GetData()->GetObject(), object);
    EXPECT_FALSE(node->HasChildren());
    EXPECT_EQ(tree.GetInserterByName("Daten:Reihe 1:Messung"), object);
}
