// The product's identity and installer-cache facts of one process: set by the bootstrap
// (and again when the cache moves), read by the interpreter and the later steps that
// fill, save and move the cache. Main thread only.
#pragma once

#include <string>
#include <vector>

namespace velkor::startup {

struct InstallerIdentity {
  std::u16string product_code;
  std::u16string revision_code;
  std::u16string title;
  // Build mode 3 with a patch: the installed revision's cache folder name.
  std::u16string patch_identity;
  // The default target folder worked out by the bootstrap (title and "\" appended).
  std::u16string start_target_folder;
  // DATADIR and where media folders are looked for; both end in a backslash.
  std::u16string data_folder;
  std::u16string media_root;
  bool maintenance = false;
  bool needs_upgrade = false;
  // Variables saved for maintenance runs, each name once, in the order marked.
  std::vector<std::u16string> persisted_variables;
  // The OVERRIDECACHE value the cache was last moved to.
  std::u16string applied_override_cache;
  // The revision's cache folder as the refresh before every statement last worked it
  // out, and what it was worked out from (ALLUSERS, OVERRIDECACHE, identity, build
  // mode). Reading the registrations and shell folders before every statement would
  // slow tight script loops down many times over, so the folder is worked out again
  // only when those change; whoever changes the product's Ident.Cache registrations
  // clears `refreshed_cache_inputs`.
  std::u16string refreshed_cache_inputs;
  std::u16string refreshed_cache_folder;
};

}  // namespace velkor::startup
