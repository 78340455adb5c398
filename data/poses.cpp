#include "poses.h"

#include "canvas.h"

#include <functional>
#include <map>

namespace {

// The swordsman is a shadow against the evening sky: one colour, so only the
// outline tells the pose, and the outline is what has to read at a glance.
constexpr Colour kShadow{22, 12, 14};

struct Sky {
    Colour top, horizon, ground, sun;
    Point sunAt;
    float sunRadius;
};

const Sky kEvening{{70, 22, 48}, {242, 150, 62}, {58, 34, 26}, {252, 224, 150}, {180, 112}, 62};
const Sky kDusk{{28, 14, 30}, {150, 78, 44}, {40, 24, 20}, {206, 122, 64}, {180, 190}, 50};
const Sky kBlood{{52, 0, 4}, {196, 30, 20}, {44, 10, 8}, {236, 70, 44}, {180, 112}, 66};

constexpr float kGround = 268;

// Joints of a standing figure seen from the front. Left and right are as the
// player sees them.
struct Figure {
    Point head, neck, hip;
    Point leftKnee, leftFoot, rightKnee, rightFoot;
    Point leftElbow, rightElbow, hands, tip;
};

Point Mirror(Point p) {
    return {kPictureWidth - p.x, p.y};
}

// The same pose seen from the other side: left and right limbs change places.
Figure Mirror(const Figure& f) {
    return {
        .head = Mirror(f.head),
        .neck = Mirror(f.neck),
        .hip = Mirror(f.hip),
        .leftKnee = Mirror(f.rightKnee),
        .leftFoot = Mirror(f.rightFoot),
        .rightKnee = Mirror(f.leftKnee),
        .rightFoot = Mirror(f.leftFoot),
        .leftElbow = Mirror(f.rightElbow),
        .rightElbow = Mirror(f.leftElbow),
        .hands = Mirror(f.hands),
        .tip = Mirror(f.tip),
    };
}

void DrawSky(Canvas& canvas, const Sky& sky) {
    canvas.VerticalGradient(0, kGround, sky.top, sky.horizon);
    canvas.Circle(sky.sunAt, sky.sunRadius, sky.sun);
    canvas.VerticalGradient(kGround, kPictureHeight, sky.ground, sky.ground);
}

void DrawSword(Canvas& canvas, Point hands, Point tip) {
    float dx = tip.x - hands.x, dy = tip.y - hands.y;
    Point pommel{hands.x - dx * 0.22f, hands.y - dy * 0.22f};
    canvas.Capsule(pommel, hands, 4, kShadow);
    canvas.Circle(hands, 7, kShadow);
    canvas.Capsule(hands, tip, 2.6f, kShadow);
}

void DrawFigure(Canvas& canvas, const Figure& f) {
    float dx = f.neck.x - f.hip.x;
    Point leftShoulder{f.neck.x - 30, f.neck.y + 6}, rightShoulder{f.neck.x + 30, f.neck.y + 6};
    // Wide trousers flaring down to the feet, split between the legs.
    float hem = kGround - 6, middle = (f.leftFoot.x + f.rightFoot.x) / 2;
    canvas.Polygon({{f.hip.x - 28, f.hip.y},
                    {f.hip.x + 28, f.hip.y},
                    {f.rightFoot.x + 20, hem},
                    {middle + 10, hem},
                    {middle, (f.leftKnee.y + f.rightKnee.y) / 2 + 10},
                    {middle - 10, hem},
                    {f.leftFoot.x - 20, hem}},
                   kShadow);
    canvas.Capsule(f.leftFoot, {f.leftFoot.x - 12, f.leftFoot.y}, 4, kShadow);
    canvas.Capsule(f.rightFoot, {f.rightFoot.x + 12, f.rightFoot.y}, 4, kShadow);
    canvas.Polygon({leftShoulder,
                    rightShoulder,
                    {f.hip.x + 24 + dx * 0.1f, f.hip.y + 4},
                    {f.hip.x - 24 + dx * 0.1f, f.hip.y + 4}},
                   kShadow);
    canvas.Capsule(leftShoulder, rightShoulder, 8, kShadow);
    // Broad sleeves on the upper arms, slimmer forearms meeting at the hilt.
    canvas.Capsule(leftShoulder, f.leftElbow, 11, kShadow);
    canvas.Capsule(rightShoulder, f.rightElbow, 11, kShadow);
    canvas.Capsule(f.leftElbow, f.hands, 6, kShadow);
    canvas.Capsule(f.rightElbow, f.hands, 6, kShadow);
    canvas.Capsule(f.neck, f.head, 7, kShadow);
    canvas.Circle(f.head, 17, kShadow);
    // The topknot makes the head read as a samurai's even at a fifth of its size.
    canvas.Capsule({f.head.x - 3, f.head.y - 16}, {f.head.x + 6, f.head.y - 24}, 4, kShadow);
    DrawSword(canvas, f.hands, f.tip);
}

// On guard, blade raised towards the player's eyes.
const Figure kGuard{
    .head = {180, 46},
    .neck = {180, 66},
    .hip = {180, 150},
    .leftKnee = {146, 214},
    .leftFoot = {124, kGround},
    .rightKnee = {214, 214},
    .rightFoot = {236, kGround},
    .leftElbow = {124, 130},
    .rightElbow = {236, 130},
    .hands = {180, 160},
    .tip = {248, 22},
};
// Blade lifted high on the player's left, about to cut down across.
const Figure kUpperLeft{
    .head = {172, 50},
    .neck = {176, 70},
    .hip = {182, 152},
    .leftKnee = {150, 210},
    .leftFoot = {128, kGround},
    .rightKnee = {214, 210},
    .rightFoot = {232, kGround},
    .leftElbow = {132, 66},
    .rightElbow = {166, 60},
    .hands = {116, 40},
    .tip = {22, 6},
};
// Blade low on the player's left, sweeping up from below.
const Figure kLowerLeft{
    .head = {170, 62},
    .neck = {176, 82},
    .hip = {184, 162},
    .leftKnee = {140, 214},
    .leftFoot = {118, kGround},
    .rightKnee = {222, 214},
    .rightFoot = {240, kGround},
    .leftElbow = {140, 140},
    .rightElbow = {176, 150},
    .hands = {120, 182},
    .tip = {16, 250},
};

void DrawEnemy(Canvas& canvas, const Figure& figure, const Sky& sky) {
    DrawSky(canvas, sky);
    DrawFigure(canvas, figure);
}

// Cut down: fallen to the knees, bent forward, the sword dropped beside him.
void DrawStruckDown(Canvas& canvas) {
    DrawSky(canvas, kDusk);
    DrawSword(canvas, {208, kGround - 2}, {52, kGround + 2});
    canvas.Polygon({{200, 200}, {248, 214}, {262, kGround}, {176, kGround}}, kShadow);
    canvas.Capsule({230, 214}, {150, 176}, 24, kShadow);
    canvas.Circle({132, 196}, 17, kShadow);
    canvas.Capsule({127, 182}, {120, 173}, 4, kShadow);
    canvas.Capsule({160, 182}, {136, 240}, 10, kShadow);
    canvas.Capsule({136, 240}, {126, kGround - 2}, 6, kShadow);
    canvas.Capsule({186, 190}, {176, 240}, 10, kShadow);
    canvas.Capsule({176, 240}, {172, kGround - 2}, 6, kShadow);
}

// The duel is lost: the enemy stands over the player, blade held high, under
// a blood-red sky.
void DrawLost(Canvas& canvas) {
    const Figure victor{
        .head = {180, 48},
        .neck = {180, 68},
        .hip = {180, 152},
        .leftKnee = {148, 212},
        .leftFoot = {128, kGround},
        .rightKnee = {212, 212},
        .rightFoot = {232, kGround},
        .leftElbow = {226, 52},
        .rightElbow = {246, 72},
        .hands = {250, 36},
        .tip = {344, 4},
    };
    DrawEnemy(canvas, victor, kBlood);
}

// The player's own arm and sword, drawn over the enemy. Everything that is
// not arm or sword stays pure black, the colour the drawing leaves out.
void DrawArm(Canvas& canvas) {
    const Colour sleeve{46, 58, 120}, sleeveEdge{70, 88, 160}, skin{214, 170, 128};
    const Colour wrap{70, 40, 32}, guard{178, 146, 58}, steel{206, 210, 222}, edge{150, 156, 172};
    Point hand{252, 198}, tip{40, 40}, pommel{300, 236};
    canvas.Capsule({420, 330}, {286, 236}, 40, sleeve);
    canvas.Capsule({400, 300}, {296, 228}, 30, sleeveEdge);
    canvas.Capsule({296, 228}, hand, 15, skin);
    canvas.Capsule(hand, pommel, 7, wrap);
    canvas.Capsule(hand, tip, 6, edge);
    canvas.Capsule(hand, {tip.x + 2, tip.y + 4}, 3.5f, steel);
    canvas.Circle(hand, 13, guard);
    canvas.Circle({hand.x + 20, hand.y + 15}, 14, skin);
}

using Painter = std::function<void(Canvas&)>;

const std::map<std::string, Painter>& Painters() {
    static const std::map<std::string, Painter> painters = {
        {"guard", [](Canvas& c) { DrawEnemy(c, kGuard, kEvening); }},
        {"upper-left", [](Canvas& c) { DrawEnemy(c, kUpperLeft, kEvening); }},
        {"upper-right", [](Canvas& c) { DrawEnemy(c, Mirror(kUpperLeft), kEvening); }},
        {"lower-left", [](Canvas& c) { DrawEnemy(c, kLowerLeft, kEvening); }},
        {"lower-right", [](Canvas& c) { DrawEnemy(c, Mirror(kLowerLeft), kEvening); }},
        {"struck-down", DrawStruckDown},
        {"lost", DrawLost},
        {"arm", DrawArm},
    };
    return painters;
}

} // namespace

bool DrawPicture(const std::string& name, RgbPicture& out) {
    auto it = Painters().find(name);
    if (it == Painters().end()) {
        return false;
    }
    Canvas canvas(kPictureWidth, kPictureHeight);
    it->second(canvas);
    out = canvas.Finish();
    return true;
}
