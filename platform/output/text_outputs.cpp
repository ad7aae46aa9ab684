// Text outputs of the output manager (line-printer plots): method 446 opens one with
// a name (138) and a label (296), method 447 closes it. The plot's lines reach the
// listing through the print services as they are written; the output system keeps a
// copy of each, and on closing the lines go to the JSON file as one text output under
// the groups and BY values that were current when it opened.
#include "core/runtime.h"
#include "output/method_call.h"
#include "output/output_system.h"

namespace plat::out {
namespace {

constexpr int kTextTwice = 26;  // catalogue entries of set kMsgSet
constexpr int kNoText = 27;

output_system& system_of(void* object) { return *static_cast<obj_base*>(object)->sys; }

}  // namespace

bool output_system::open_text(std::string name, std::string label) {
  if (text_) return false;
  text_ = std::make_unique<report>();
  text_->text = true;
  text_->name = std::move(name);
  text_->label = std::move(label);
  text_->context.groups = group_path();
  text_->context.by = by_;
  if (hooks_.listing) print_context();
  report* r = text_.get();
  print_set_tap([r](std::string_view line) {
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    r->lines.emplace_back(line);
  });
  return true;
}

bool output_system::close_text() {
  if (!text_) return false;
  print_set_tap({});
  if (json_ != nullptr && json_->is_open()) json_->add_output(report_json(*text_));
  text_.reset();
  ++emitted_;
  return true;
}

int m_text_open(void* object, void*, void*, int count, wob_attr* attrs) {
  output_system& sys = system_of(object);
  method_call c(sys, WOB_M_TEXT_OPEN, "output manager", "", count, attrs);
  std::string name, label;
  wob_attr* n = c.need(WOB_A_NAME);
  if (n == nullptr || !c.text(*n, name)) return c.error();
  if (wob_attr* l = c.find(WOB_A_LABEL); l != nullptr && !c.text(*l, label)) return c.error();
  if (!sys.open_text(name, label)) return c.fail(kErrOrder, kTextTwice);
  return 0;
}

int m_text_close(void* object, void*, void*, int count, wob_attr* attrs) {
  output_system& sys = system_of(object);
  method_call c(sys, WOB_M_TEXT_CLOSE, "output manager", "", count, attrs);
  if (!sys.close_text()) return c.fail(kErrOrder, kNoText);
  return 0;
}

}  // namespace plat::out
