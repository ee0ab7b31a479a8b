-- Weaver: drifts down the screen swinging from side to side, and drops an orb
-- straight down now and then. Several placed one behind the other make a
-- snake that follows the same curve.
--   state 1: swing amplitude in units (timeline; 160 when 0)
--   state 2: direction of the first swing, 1 towards +x (screen left) or -1
--   state 3: milliseconds until the next orb
local Weaver = {}
Weaver.points = 150        -- added to the score when one is destroyed

local PERIOD = 2400        -- ms for a full swing
local DRIFT = 0.24         -- down the screen, units per millisecond
local ORB = 2

function Weaver.Update(x, y, dt, amplitude, direction, cooldown, timer)
    if amplitude == 0 then amplitude = 160 end
    if direction == 0 then direction = 1 end
    local w = 2 * math.pi / PERIOD
    -- The derivative of amplitude * sin(w * t): the swing starts at the
    -- placed position and moves `direction` first.
    local vx = direction * amplitude * w * math.cos(w * timer)
    x, y = Game.Move(x, y, vx, -DRIFT, dt)

    cooldown = cooldown - dt
    if cooldown <= 0 and timer > 700 and Game.OnScreen(x, y, 30) and y > Game.playerY + 60 then
        Game.EnemyShoot(ORB, x, y - 20, 0, -1, 0.32, 5)
        cooldown = 1500 + math.random() * 900
    end
    return x, y, amplitude, direction, cooldown
end

function Weaver.OnHit(x, y, health, damage, s1, s2, s3, timer)
    Game.HitFlash(x, y, damage, 30)
    return health - damage, s1, s2, s3
end

function Weaver.OnDeath(x, y, s1, s2, s3, timer)
    return true
end

return Weaver
