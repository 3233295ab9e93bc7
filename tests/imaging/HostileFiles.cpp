// Built from tests/support (tintwell_test_support); kept so that target
// lists naming this file still build.
