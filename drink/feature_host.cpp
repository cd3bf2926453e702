#include "drink/feature_host.h"

FeatureHost* TheMainWindow = nullptr;
