#include "desktop/program_messages.h"

namespace desktop {

const TResStringRec rsTip{u"提示"};
const TResStringRec rsStop{u"停止"};
const TResStringRec rsPause{u"暂停"};
const TResStringRec rsReRun{u"恢复运行"};
const TResStringRec rsStart{u"开始运行"};
const TResStringRec rsDelAction{u"确定删除选择的动作？"};
const TResStringRec rsNewProject{u"打开新方案将关闭当前方案，如果没有保存当前方案会丢失，确认继续？"};
const TResStringRec rsNoDevice{u"没有发现设备"};
// The comma after the first 方案 is an ASCII comma in the shipped text.
const TResStringRec rsAutoProject{u"自动生成方案将关闭当前方案,如果没有保存当前方案会丢失，确认继续？"};
const TResStringRec rsAdjustDone{u" 坐标调整完成"};
const TResStringRec rsAbsStart{u" 开始绝对定位"};
const TResStringRec rsAbsDone{u" 绝对定位结束"};
const TResStringRec rsDelayStart{u" 开始延时"};
const TResStringRec rsDelayDone{u" 延时结束"};
const TResStringRec rsCycleDone{u" 完成循环 "};
const TResStringRec rsRelStart{u" 开始相对定位"};
const TResStringRec rsRelDone{u" 相对定位结束"};
const TResStringRec rsZeroDone{u" 归零结束"};
const TResStringRec rsRunDone{u"方案执行完成 "};
const TResStringRec rsAcc{u"加速度"};
const TResStringRec rsDec{u"减速度"};
const TResStringRec rsMaxV{u"最大速度"};
const TResStringRec rsSafeV{u"安全速度"};
const TResStringRec rsConstPos{u"快捷定位"};
const TResStringRec rsAxis{u"轴"};
const TResStringRec rsConfig{u"参数配置"};
const TResStringRec rsLimit{u"限位"};
const TResStringRec rsOverSafe{u"速度值超过安全限制"};

}  // namespace desktop
