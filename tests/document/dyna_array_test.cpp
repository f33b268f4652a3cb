#include "document/dyna_array.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumaret {
namespace {

struct Record {
  int value;
  char tag[8];
  const char* pointer;
};

class DynaArrayTest : public ::testing::Test {
 protected:
  // A, B, C with values 1, 2, 3.
  void Fill(int n = 3) {
    for (int i = 0; i < n; ++i)
      list.Append().value = i + 1;
  }
  std::vector<int> Values() const {
    std::vector<int> v;
    for (const Record& r : list)
      v.push_back(r.value);
    return v;
  }

  Record* current = reinterpret_cast<Record*>(1);  // not yet written by the array
  TDynaArray<Record> list{&current};
};

TEST_F(DynaArrayTest, StartsEmptyWithNoIteration) {
  EXPECT_EQ(current, nullptr);  // creation writes the owner's variable
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.Position(), -1);
  list.First();
  EXPECT_EQ(list.Position(), -1);
  EXPECT_FALSE(list.Next());
  EXPECT_EQ(list.Current(), nullptr);
}

TEST_F(DynaArrayTest, AppendGivesAZeroFilledCurrentLastElement) {
  Fill(2);
  Record& r = list.Append();
  EXPECT_EQ(r.value, 0);
  EXPECT_EQ(std::string(r.tag, sizeof r.tag), std::string(sizeof r.tag, '\0'));
  EXPECT_EQ(r.pointer, nullptr);
  EXPECT_EQ(list.Count(), 3u);
  EXPECT_EQ(list.Position(), 2);
  EXPECT_EQ(list.Current(), &r);
  EXPECT_EQ(current, &r);
}

TEST_F(DynaArrayTest, IterationNumbersElementsFromOne) {
  Fill();
  std::vector<std::pair<int, int>> seen;  // value, Position inside the loop
  list.First();
  while (list.Next()) {
    seen.emplace_back(list.Current()->value, list.Position());
    EXPECT_EQ(current, list.Current());
  }
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 1}, {2, 2}, {3, 3}}));
  EXPECT_FALSE(list.Next());
  EXPECT_EQ(list.Position(), 3);
  EXPECT_EQ(current->value, 3);  // the last element delivered stays current
}

struct DeleteCase {
  int index;
  std::vector<int> remaining;
};

class DynaArrayDelete : public DynaArrayTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DynaArrayDelete, RemovesOneKeepsOrderAndLeavesNoCurrent) {
  Fill();
  list.Select(1);
  list.Delete(GetParam().index);
  EXPECT_EQ(Values(), GetParam().remaining);
  EXPECT_EQ(list.Current(), nullptr);
  EXPECT_EQ(current, nullptr);
  EXPECT_EQ(list.Position(), -1);
}

INSTANTIATE_TEST_SUITE_P(Positions, DynaArrayDelete,
                         ::testing::Values(DeleteCase{0, {2, 3}}, DeleteCase{1, {1, 3}},
                                           DeleteCase{2, {1, 2}}));

TEST_F(DynaArrayTest, DeleteOutsideTheListChangesNothing) {
  Fill();
  Record* selected = &list.Select(1);
  for (int index : {3, -1, 1 << 30}) {
    list.Delete(index);
    EXPECT_EQ(Values(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(current, selected);
    EXPECT_EQ(list.Position(), 1);
  }
}

TEST_F(DynaArrayTest, DeletingTheLastElementReleasesTheStorage) {
  Fill(1);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 0u);
  list.First();
  EXPECT_FALSE(list.Next());
}

TEST_F(DynaArrayTest, SwapLeavesTheElementNowAtTheSecondIndexCurrent) {
  Fill();
  list.Swap(1, 0);
  EXPECT_EQ(Values(), (std::vector<int>{2, 1, 3}));
  EXPECT_EQ(list.Position(), 0);
  EXPECT_EQ(current->value, 2);
  EXPECT_EQ(current, &list.Select(0));

  list.Swap(0, 2);
  EXPECT_EQ(Values(), (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(current->value, 2);
  EXPECT_EQ(list.Position(), 2);
}

TEST_F(DynaArrayTest, SwapOutsideTheListChangesNothing) {
  Fill();
  list.Select(1);
  for (auto [a, b] : {std::pair{0, 3}, {3, 0}, {-1, 1}, {1, -1}}) {
    list.Swap(a, b);
    EXPECT_EQ(Values(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(list.Position(), 1);
    EXPECT_EQ(current->value, 2);
  }
}

TEST_F(DynaArrayTest, IndexingMovesNeitherTheCurrentElementNorThePosition) {
  Fill();
  list.Select(1);
  list[0].value = 7;
  list[2].value = 9;
  EXPECT_EQ(Values(), (std::vector<int>{7, 2, 9}));
  EXPECT_EQ(current, &list[1]);
  EXPECT_EQ(list.Position(), 1);
}

TEST_F(DynaArrayTest, ClearLeavesAnEmptyListWithNoCurrent) {
  Fill();
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(current, nullptr);
  EXPECT_EQ(list.Position(), -1);
  EXPECT_EQ(list.Append().value, 0);
}

TEST_F(DynaArrayTest, TheOwnersVariableFollowsTheStorageAsItGrows) {
  for (int i = 0; i < 1000; ++i) {
    list.Append().value = i;
    ASSERT_EQ(current, list.Current());
    ASSERT_EQ(current->value, i);
  }
  EXPECT_EQ(list.Select(500).value, 500);
  EXPECT_EQ(current->value, 500);
  EXPECT_EQ(list.Position(), 500);
}

TEST(DynaArray, WorksWithoutAnOwnerVariableAndWithOwningElements) {
  TDynaArray<std::string> texts;
  texts.Append() = "a";
  texts.Append() = std::string(100, 'b');
  texts.Swap(0, 1);
  EXPECT_EQ(texts[0], std::string(100, 'b'));
  EXPECT_EQ(*texts.Current(), "a");
  texts.Delete(0);
  EXPECT_EQ(texts[0], "a");
}

}  // namespace
}  // namespace lumaret
