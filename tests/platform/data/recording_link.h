// A data link that writes down what it is told, in order, for tests that
// check the events a dataset sends to its links.
#pragma once

#include <string>
#include <vector>

#include "platform/data/data_source.h"
#include "platform/data/fields.h"

namespace dbtest {

class RecordingLink : public db::TDataLink {
 public:
  std::vector<std::string> log;
  // The events so far, space-separated; the log starts again.
  std::string Take() {
    std::string s;
    for (auto& e : log) s += (s.empty() ? "" : " ") + e;
    log.clear();
    return s;
  }

 protected:
  void ActiveChanged() override { log.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { log.push_back("changed"); }
  void DataSetScrolled(int d) override { log.push_back("scrolled" + std::to_string(d)); }
  void EditingChanged() override { log.push_back(Editing() ? "editing" : "browsing"); }
  void RecordChanged(db::TField* f) override {
    log.push_back(f ? "field:" + rtl::StringToUtf8(f->FieldName()) : std::string("record"));
  }
  void UpdateData() override { log.push_back("update"); }
  void CheckBrowseMode() override { log.push_back("check"); }
  void LayoutChanged() override { log.push_back("layout"); }
};

}  // namespace dbtest
