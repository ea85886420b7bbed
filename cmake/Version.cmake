# The suite's one version number: the top-level project's and Engine's
# (its SOVERSION is the major part).
set(GK_VERSION 1.0.0)
