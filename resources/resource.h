#pragma once

#define IDI_CORVANE 1
#define IDS_PRODUCT_NAME 1
