-- Bomber: comes down to the upper part of the screen, keeps pace with the
-- scroll while it sways across its lane and fires, then dives away down the
-- screen. It alternates a fan of five orbs with three heavy bolts aimed at
-- the player.
--   state 1: its lane: the x it sways around (timeline)
--   state 2: milliseconds it stays before leaving (timeline; 8000 when 0)
--   state 3: milliseconds until the next volley
local Bomber = {}
Bomber.points = 1000        -- added to the score when one is destroyed

local ORB, BOLT = 2, 3
local HOLD = 240             -- distance ahead of the view's centre it holds

function Bomber.Update(x, y, dt, lane, stay, cooldown, timer)
    if stay <= 0 then stay = 8000 end
    local vx, vy
    if timer < stay then
        local ahead = y - Game.viewY
        vy = Game.Clamp((HOLD - ahead) * 0.004, -0.25, 0.15)
        local goal = lane + 110 * math.sin(timer / 1700)
        vx = Game.Clamp((goal - x) * 0.003, -0.12, 0.12)
    else
        vx, vy = 0, -0.2 - (timer - stay) * 0.0002
    end
    x, y = Game.Move(x, y, vx, vy, dt)

    cooldown = cooldown - dt
    if cooldown <= 0 and timer > 900 and timer < stay and Game.OnScreen(x, y, 20) then
        if math.floor(timer / 1500) % 2 == 0 then
            for i = -2, 2 do
                local a = -math.pi / 2 + i * math.rad(24)
                Game.EnemyShoot(ORB, x, y - 40, math.cos(a), math.sin(a), 0.26, 5)
            end
        else
            for i = -1, 1 do
                Game.ShootAtPlayer(BOLT, x + i * 30, y - 30, 0.34, 8)
            end
        end
        cooldown = 1500
    end
    return x, y, lane, stay, cooldown
end

function Bomber.OnHit(x, y, health, damage, s1, s2, s3, timer)
    Game.HitFlash(x, y, damage, 70)
    return health - damage, s1, s2, s3
end

function Bomber.OnDeath(x, y, s1, s2, s3, timer)
    Vantrel.Explode(x - 35, y + 10, 35, 150)
    Vantrel.Explode(x + 35, y - 10, 35, 300)
    return true
end

return Bomber
