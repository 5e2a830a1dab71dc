// Everything foundation offers, for code that wants it all.
#pragma once

#include "foundation/DevicePaths.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/NSArray.h"
#include "foundation/NSData.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSException.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/NSUserDefaults.h"
#include "foundation/PropertyList.h"
#include "foundation/Result.h"
#include "foundation/UniqueFd.h"
