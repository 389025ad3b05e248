// The import's overwrite question: the export's window with its sides
// swapped, the cached entry old and the local file new.
#pragma once

#include "export/frm_confirm.h"

namespace larkspool {

class TfrmConfirm2 : public TfrmConfirm {
public:
    explicit TfrmConfirm2(Forms& forms);

protected:
    void FormShow() override;
};

} // namespace larkspool
