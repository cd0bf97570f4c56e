#pragma once

namespace testing {

// Lives in a shared library of its own that the broken test plugin links
// to: a test that copies the plugin without it gets a plugin whose metadata
// is fine but whose library cannot be loaded.
bool vanishingDependencyPresent();

} // namespace testing
